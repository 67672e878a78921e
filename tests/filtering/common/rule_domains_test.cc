#include "core/filtering/common/rule_domains.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/log_capture.h"

namespace {

std::vector<std::string> keys(const string_set_t *set) {
    std::vector<std::string> out;
    string_set_foreach(
        set,
        [](void *arg, const char *key, size_t length) {
            static_cast<std::vector<std::string> *>(arg)->emplace_back(key, length);
            return 0;
        },
        &out);
    std::sort(out.begin(), out.end());
    return out;
}

// The whole parsed state in one comparable value.
struct Parsed {
    std::vector<std::string> permitted, restricted, permitted_any_tld, restricted_any_tld;
    bool operator==(const Parsed &) const = default;
};

Parsed breakdown(const rule_domains_t &d) {
    return {keys(d.permitted), keys(d.restricted), keys(d.permitted_any_tld),
            keys(d.restricted_any_tld)};
}

using V = std::vector<std::string>;

TEST(RuleDomains, ParsesLists) {
    struct Row {
        std::string text;
        char delimiter;
        Parsed expected;
    } rows[] = {
        {"example.com,~example.net", ',', {{"example.com"}, {"example.net"}, {}, {}}},
        {" example.com , example.net ", ',', {{"example.com", "example.net"}, {}, {}, {}}},
        {"example.com,", ',', {{"example.com"}, {}, {}, {}}},
        {"example.*|~other.*", '|', {{}, {}, {"example"}, {"other"}}},
        {"example.com|example.com", '|', {{"example.com"}, {}, {}, {}}},
        {"Example.COM", '|', {{"Example.COM"}, {}, {}, {}}},  // stored as written
        {"a.*|a", '|', {{"a"}, {}, {"a"}, {}}},               // kinds are separate
        {"~a.*|a", '|', {{"a"}, {}, {}, {"a"}}},
        {".*", '|', {{".*"}, {}, {}, {}}},  // too short to be any-TLD
        {"", '|', {}},
        {std::string(255, 'd'), '|', {{std::string(255, 'd')}, {}, {}, {}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        rule_domains_t d;
        ASSERT_EQ(extract_rule_domains_with_delim(row.text.data(), row.text.size(), row.delimiter,
                                                  &d, nullptr),
                  0);
        EXPECT_EQ(breakdown(d), row.expected);
        rule_domains_release(&d);
    }
}

TEST(RuleDomains, RejectsBadListsWithTheirMessage) {
    struct Row {
        std::string text;
        std::string message;
    } rows[] = {
        {"example.com,,example.net",
         "extract_rule_domains_with_delim(): Empty domain: ,example.net"},
        {",a.com", "extract_rule_domains_with_delim(): Empty domain: ,a.com"},
        {"a.com, ~ ,b.com", "extract_rule_domains_with_delim(): Empty domain:  ~ ,b.com"},
        {"example.com,~example.com",
         "extract_rule_domains_with_delim(): Domain can't be both enabled and excluded: "
         "example.com"},
        {"~x.*,x.*",
         "extract_rule_domains_with_delim(): Domain can't be both enabled and excluded: x"},
        {std::string(256, 'd'), "extract_rule_domains_with_delim(): Specified domain '" +
                                    std::string(256, 'd') +
                                    "' is too long (maximum allowed length=255)"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        LogCapture capture;
        rule_domains_t d;
        logger_s *logger = logger_open("test", -1);
        EXPECT_EQ(
            extract_rule_domains_with_delim(row.text.data(), row.text.size(), ',', &d, logger), -1);
        EXPECT_EQ(breakdown(d), Parsed{});
        EXPECT_EQ(capture.messages(LOG_LEVEL_WARN), V{row.message});
        logger_close(logger);
    }
}

TEST(RuleDomains, Matching) {
    struct Row {
        const char *list;
        const char *host;
        bool allowed;
        bool restricted_hit;
    } rows[] = {
        {"example.org", "sub.example.org", true, false},
        {"org", "sub.example.org", true, false},
        {"example.org", "example.org.", true, false},
        {"example.org", "badexample.org", false, false},
        {"example.org", "example.org:8080", true, false},
        {"example.org", "", false, false},
        {"example.*", "example.co.uk", true, false},
        {"example.*", "www.example.com", true, false},
        {"example.*", "example.unknowntld", true, false},
        {"example.*", "notexample.com", false, false},
        {"example.*", "example", false, false},  // no public suffix: any-TLD never applies
        {"example.*", "co.uk", false, false},
        {"~example.com", "x.example.com", false, true},
        {"~example.com", "example.net", true, false},
        {"~example.com", "", true, false},
        {"~example.*", "example.de", false, true},
        {"example.org,~ads.example.org", "ads.example.org", false, true},
        {"example.org,~ads.example.org", "www.example.org", true, false},
        {"::1", "[::1]", false, false},
        {"[::1]", "[::1]", true, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.list) + " @ " + row.host);
        rule_domains_t d;
        ASSERT_EQ(extract_rule_domains_with_delim(row.list, strlen(row.list), ',', &d, nullptr), 0);
        rule_domains_match_t m = match_rule_domains(row.host, strlen(row.host), &d);
        EXPECT_EQ(m.allowed, row.allowed);
        EXPECT_EQ(m.restricted_hit, row.restricted_hit);
        rule_domains_release(&d);
    }
    rule_domains_match_t none = match_rule_domains("", 0, nullptr);
    EXPECT_TRUE(none.allowed);
}

TEST(RuleDomains, CosmeticPrefix) {
    LogCapture capture;
    rule_domains_t d{};
    bool generic = false;
    ASSERT_EQ(extract_rule_domains("*", 1, &d, &generic, nullptr), 0);
    EXPECT_TRUE(generic);
    ASSERT_EQ(extract_rule_domains("~a.com,b.com", 12, &d, &generic, nullptr), 0);
    EXPECT_FALSE(generic);
    EXPECT_EQ(breakdown(d), (Parsed{{"b.com"}, {"a.com"}, {}, {}}));

    // A second non-empty prefix on a rule with domains is refused; nothing changes.
    logger_s *logger = logger_open("test", -1);
    EXPECT_EQ(extract_rule_domains("c.com", 5, &d, &generic, logger), -1);
    EXPECT_EQ(capture.messages(),
              V{"extract_rule_domains(): Rule already has domain restrictions"});
    EXPECT_EQ(breakdown(d), (Parsed{{"b.com"}, {"a.com"}, {}, {}}));

    // An empty prefix keeps the domains the rule already has, and so its
    // specific status.
    ASSERT_EQ(extract_rule_domains("", 0, &d, &generic, logger), 0);
    EXPECT_FALSE(generic);
    EXPECT_EQ(breakdown(d), (Parsed{{"b.com"}, {"a.com"}, {}, {}}));
    logger_close(logger);
    rule_domains_release(&d);
}

TEST(RuleDomains, CopyAsRestrictions) {
    rule_domains_t source, target;
    ASSERT_EQ(extract_rule_domains_with_delim("a.com,~b.com,c.*", 16, ',', &source, nullptr), 0);
    ASSERT_EQ(extract_rule_domains_with_delim("x.com", 5, ',', &target, nullptr), 0);
    ASSERT_EQ(copy_domains_as_restrictions(&target, &source), 0);
    EXPECT_EQ(breakdown(target), (Parsed{{"x.com"}, {"a.com"}, {}, {"c"}}));
    rule_domains_release(&source);
    rule_domains_release(&target);
}

}  // namespace
