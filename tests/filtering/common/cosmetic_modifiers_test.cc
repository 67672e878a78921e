#include "core/filtering/common/cosmetic_modifiers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/log_capture.h"

namespace {

struct Rule {
    cosmetic_modifiers_t modifiers{};
    rule_domains_t domains{};
    bool generic = true;
    cosmetic_modifier_target_t target{&modifiers, &domains, &generic};
    ~Rule() {
        cosmetic_modifiers_release(&modifiers);
        rule_domains_release(&domains);
    }
    int parse(const std::string &text, size_t *consumed, logger_s *logger = nullptr) {
        return cosmetic_modifiers_parse(text.data(), text.size(), consumed, &target, logger);
    }
};

TEST(CosmeticModifiers, ParsesPrefix) {
    Rule rule;
    std::string text = "[$app=a.exe|~b.exe,domain=example.org|~x.example.org,path=/page]##.ad";
    size_t consumed;
    ASSERT_EQ(rule.parse(text, &consumed), 0);
    EXPECT_EQ(text.substr(consumed), "##.ad");
    EXPECT_TRUE(match_rule_apps("a.exe", &rule.modifiers.apps));
    EXPECT_FALSE(match_rule_apps("b.exe", &rule.modifiers.apps));
    EXPECT_FALSE(rule.generic);
    EXPECT_TRUE(match_rule_domains("www.example.org", 15, &rule.domains).allowed);
    EXPECT_FALSE(match_rule_domains("x.example.org", 13, &rule.domains).allowed);
    EXPECT_TRUE(path_matcher_match(rule.modifiers.path, 5, "/page"));
}

TEST(CosmeticModifiers, ValuesAndEscapes) {
    struct Row {
        std::string text;
        std::string rest;
        std::vector<std::string> paths_matching;
        std::vector<std::string> paths_not_matching;
    } rows[] = {
        {"example.org##.ad", "example.org##.ad", {}, {}},  // no prefix
        {"[$path]##.ad", "##.ad", {"/"}, {"/a"}},
        {"[$path=/a\\,b]##x", "##x", {"/a,b"}, {"/a"}},
        {"[$path=/\\[x\\]/]##x", "##x", {"/x/"}, {"/y/"}},  // a class in an expression
        {"[$path=a\\]b]##x", "##x", {"/a]b"}, {"/ab"}},
        {"[$path=/^\\/\\d+$/]##x", "##x", {"/123"}, {"/a1"}},  // other backslashes stay
        {"[$path=a\\\\b]##x", "##x", {"/a\\b"}, {"/ab"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        Rule rule;
        size_t consumed;
        ASSERT_EQ(rule.parse(row.text, &consumed), 0);
        EXPECT_EQ(row.text.substr(consumed), row.rest);
        for (const std::string &path : row.paths_matching) {
            EXPECT_TRUE(path_matcher_match(rule.modifiers.path, path.size(), path.data())) << path;
        }
        for (const std::string &path : row.paths_not_matching) {
            EXPECT_FALSE(path_matcher_match(rule.modifiers.path, path.size(), path.data())) << path;
        }
    }
}

TEST(CosmeticModifiers, RefusesMalformedPrefixesAndChangesNothing) {
    struct Row {
        std::string text;
        std::string message;
    } rows[] = {
        {"[$path=/a##x", "cosmetic_modifiers_parse(): Modifier list is not closed: [$path=/a##x"},
        {"[$]##x", "cosmetic_modifiers_parse(): Empty modifier list"},
        {"[$color=red]##x", "cosmetic_modifiers_parse(): Unknown modifier: color="},
        {"[$app]##x", "cosmetic_modifiers_parse(): Unknown modifier: app"},
        {"[$domain=]##x", "cosmetic_modifiers_parse(): Modifier 'domain=' requires a value"},
        {"[$path,path=/x]##x", "cosmetic_modifiers_parse(): Duplicate modifier: path="},
        {"[$app=a|~a]##x", "rulecommon_extract_apps(): App can't be both enabled and excluded: a"},
        {"[$path=||x]##x", "parse_text_match(): Modifier cannot start with `||`: ||x"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        LogCapture capture;
        logger_s *logger = logger_open("test", -1);
        Rule rule;
        size_t consumed = 99;
        EXPECT_EQ(rule.parse(row.text, &consumed, logger), -1);
        EXPECT_EQ(consumed, 0u);
        EXPECT_EQ(capture.messages(LOG_LEVEL_WARN), std::vector<std::string>{row.message});
        EXPECT_TRUE(rule.generic);
        EXPECT_EQ(rule.modifiers.path, nullptr);
        EXPECT_TRUE(rule_domains_empty(&rule.domains));
        logger_close(logger);
    }
}

}  // namespace
