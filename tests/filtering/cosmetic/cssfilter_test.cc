// The element-hiding filter: rule management, the three builds, selector
// groups, exceptions matched at build time and folded into rules, and the
// exact trace of a build.
#include "core/filtering/cosmetic/cssfilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "core/filtering/cosmetic/css_result.h"
#include "tests/support/log_capture.h"

namespace {

constexpr char kHide[] = " { display: none!important; }";

// A built text taken apart: each line is a group of selectors (sorted, so
// that the tables' iteration order does not matter) or a style block.
struct Parts {
    std::vector<std::vector<std::string>> groups;
    std::vector<std::string> styles;
};

Parts parts(const std::string &css) {
    Parts result;
    std::string_view rest(css);
    const std::string_view hide(kHide);
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        if (end == std::string_view::npos) {
            ADD_FAILURE() << "every line ends with a line feed: " << css;
            break;
        }
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        if (line.size() < hide.size() || line.substr(line.size() - hide.size()) != hide) {
            result.styles.emplace_back(line);
            continue;
        }
        line.remove_suffix(hide.size());
        std::vector<std::string> selectors;
        for (size_t comma; (comma = line.find(", ")) != std::string_view::npos;) {
            selectors.emplace_back(line.substr(0, comma));
            line.remove_prefix(comma + 2);
        }
        selectors.emplace_back(line);
        std::sort(selectors.begin(), selectors.end());
        result.groups.push_back(selectors);
    }
    std::sort(result.groups.begin(), result.groups.end());
    std::sort(result.styles.begin(), result.styles.end());
    return result;
}

using Groups = std::vector<std::vector<std::string>>;
using Styles = std::vector<std::string>;

class CssFilterTest : public ::testing::Test {
  protected:
    CssFilterTest() : logger_(logger_open("cssfilter", -1)), filter_(cssfilter_create(logger_)) {}
    ~CssFilterTest() override {
        cssfilter_free(filter_);
        logger_close(logger_);
    }

    int AddRule(const std::string &text) {
        return cssfilter_add_rule(filter_, text.data(), text.size());
    }
    void AddRules(const std::vector<std::string> &texts) {
        for (const std::string &text : texts) {
            ASSERT_EQ(AddRule(text), CSSFILTER_DONE) << text;
        }
    }
    int RemoveRule(const std::string &text) {
        return cssfilter_remove_rule(filter_, text.data(), text.size());
    }

    // Built texts as the content script receives them: "null" for none.
    static std::string Text(char *css) {
        std::string text = css ? css : "null";
        free(css);
        return text;
    }
    std::string BuildCss(const char *domain, uint8_t flags, const char *app = nullptr,
                         const char *path = nullptr) {
        return Text(cssfilter_buildcss(filter_, domain, flags, app, path ? strlen(path) : 0, path));
    }
    std::string BuildExtendedCss(const char *domain, uint8_t flags, const char *app = nullptr,
                                 const char *path = nullptr) {
        return Text(
            cssfilter_buildextendedcss(filter_, domain, flags, app, path ? strlen(path) : 0, path));
    }
    std::string BuildCommonCss(const char *app = nullptr, const char *path = nullptr) {
        return Text(cssfilter_buildcommoncss(filter_, app, path ? strlen(path) : 0, path));
    }

    logger_s *logger_;
    cssfilter_s *filter_;
};

constexpr uint8_t kBoth = CSSFILTER_GENERIC | CSSFILTER_SPECIFIC;

TEST_F(CssFilterTest, RuleManagement) {
    struct Row {
        std::string text;
        int status;
    } rows[] = {
        {"example.org##.ad", CSSFILTER_DONE},
        {"example.org##.ad", CSSFILTER_DONE},  // held already
        {"example.org#$#body { color: red }", CSSFILTER_DONE},
        {"example.org#%#alert(1)", CSSFILTER_NOT_MINE},
        {"example.org#%#//scriptlet('log')", CSSFILTER_NOT_MINE},
        {"example.org##^script:has-text(ad)", CSSFILTER_NOT_MINE},
        {"example.org$$script[tag-content=\"ad\"]", CSSFILTER_NOT_MINE},
        {"||example.org^$script", CSSFILTER_NOT_MINE},
        {"example.org##+js(set-constant, a, 1)", CSSFILTER_NOT_MINE},
        {"example.org##div[", CSSFILTER_REJECTED},
    };
    LogCapture capture(LOG_LEVEL_INFO);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(AddRule(row.text), row.status);
    }
    EXPECT_EQ(filter_->storage.rules.size(), 2u);
    EXPECT_EQ(RemoveRule("example.org#%#alert(1)"), CSSFILTER_NOT_MINE);
    EXPECT_EQ(RemoveRule("example.org##.ad"), CSSFILTER_DONE);
    EXPECT_EQ(RemoveRule("example.org##.ad"), CSSFILTER_NOT_MINE);
    EXPECT_EQ(filter_->storage.rules.size(), 1u);
}

TEST_F(CssFilterTest, ExceptionsAreStoredWhereTheyAct) {
    AddRules({"example.org##.ad", "example.org#@#.ad", "~example.org#@#.ad", "#@#.ad",
              "[$app=a.exe]example.org#@#.ad", "[$path=/x]example.org#@#.ad"});
    std::set<std::string> main, exceptions;
    for (const auto &entry : filter_->storage.rules) {
        main.emplace(entry.first);
    }
    for (const auto &entry : filter_->storage.exceptions) {
        exceptions.emplace(entry.first);
    }
    EXPECT_EQ(main, (std::set<std::string>{"example.org##.ad", "example.org#@#.ad",
                                           "~example.org#@#.ad"}));
    EXPECT_EQ(exceptions, (std::set<std::string>{"#@#.ad", "[$app=a.exe]example.org#@#.ad",
                                                 "[$path=/x]example.org#@#.ad"}));
}

TEST_F(CssFilterTest, WhitelistsDirtyFollowsChanges) {
    EXPECT_FALSE(filter_->whitelists_dirty);
    AddRules({"example.org##.ad"});
    EXPECT_TRUE(filter_->whitelists_dirty);
    BuildCss("example.org", kBoth);
    EXPECT_FALSE(filter_->whitelists_dirty);
    EXPECT_EQ(AddRule("example.org##.ad"), CSSFILTER_DONE);  // nothing changed
    EXPECT_FALSE(filter_->whitelists_dirty);
    RemoveRule("example.org##.ad");
    EXPECT_TRUE(filter_->whitelists_dirty);
}

TEST_F(CssFilterTest, TwoHundredFiftyOneSelectorsMakeTwoGroups) {
    std::vector<std::string> selectors;
    for (int i = 0; i < 251; ++i) {
        selectors.push_back(".ad" + std::to_string(i));
        AddRules({"example.org##" + selectors.back()});
    }
    std::string css = BuildCss("example.org", kBoth);
    Parts built = parts(css);
    ASSERT_EQ(built.groups.size(), 2u);
    EXPECT_TRUE(built.styles.empty());
    EXPECT_EQ(built.groups[0].size() + built.groups[1].size(), 251u);
    EXPECT_EQ(std::min(built.groups[0].size(), built.groups[1].size()), 1u);
    std::vector<std::string> all = built.groups[0];
    all.insert(all.end(), built.groups[1].begin(), built.groups[1].end());
    std::sort(all.begin(), all.end());
    std::sort(selectors.begin(), selectors.end());
    EXPECT_EQ(all, selectors);
    // The full group comes first and ends its line.
    size_t first_line = css.find('\n');
    EXPECT_EQ(std::count(css.begin(), css.begin() + first_line, ','), 249);
}

// Rules appended in a known order, as a build appends them in the table's.
TEST(CssResult, GroupsAndStyleBlocksInOrder) {
    struct Rule {
        const char *content;
        uint8_t kind;
    };
    struct Row {
        std::string name;
        std::vector<Rule> rules;
        std::string expected;
    } rows[] = {
        {"style block between selectors",
         {{"a", 0}, {"b { color: red }", COSMETIC_STYLE}, {"c", 0}},
         "a { display: none!important; }\nb { color: red }\nc { display: none!important; }\n"},
        {"selectors share a group",
         {{"a", 0}, {"b", 0}, {"c", 0}},
         "a, b, c { display: none!important; }\n"},
        {"extended selectors stand alone",
         {{"a:has(x)", COSMETIC_EXTENDED}, {"b:has(y)", COSMETIC_EXTENDED}},
         "a:has(x) { display: none!important; }\nb:has(y) { display: none!important; }\n"},
        {"an extended selector joins no group",
         {{"a", 0}, {"b:has(x)", COSMETIC_EXTENDED}, {"c", 0}},
         "a { display: none!important; }\nb:has(x) { display: none!important; }\n"
         "c { display: none!important; }\n"},
        {"style blocks only", {{"b { x: y }", COSMETIC_STYLE}}, "b { x: y }\n"},
        {"nothing", {}, "null"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        css_result_t result{};
        for (const Rule &rule : row.rules) {
            cosmetic_rule_t record{};
            record.text = const_cast<char *>(rule.content);
            record.content = const_cast<char *>(rule.content);
            record.kind = rule.kind;
            ASSERT_EQ(add_rule_to_result(&result, &record, nullptr), 0);
        }
        char *css = css_result_finish(&result);
        EXPECT_EQ(css ? std::string(css) : "null", row.expected);
        free(css);
        EXPECT_EQ(result.data, nullptr);
    }
}

TEST(CssResult, CapacityDoublesPlusOne) {
    css_result_t result{};
    std::vector<size_t> capacities;
    for (const char *piece : {"ab", "cdef", "g", "hijklmnopqrstuvwxyz"}) {
        ASSERT_EQ(css_result_append(&result, piece, strlen(piece)), 0);
        capacities.push_back(result.capacity);
    }
    EXPECT_EQ(capacities, (std::vector<size_t>{3, 7, 15, 31}));
    EXPECT_STREQ(result.data, "abcdefghijklmnopqrstuvwxyz");
    css_result_release(&result);
}

TEST_F(CssFilterTest, StyleRulesAreEmittedAsWritten) {
    AddRules({"example.org#$#body { color: red }", "example.org##.ad"});
    Parts built = parts(BuildCss("example.org", kBoth));
    EXPECT_EQ(built.groups, (Groups{{".ad"}}));
    EXPECT_EQ(built.styles, (Styles{"body { color: red }"}));
}

TEST_F(CssFilterTest, EachBuildTakesItsKindOfRule) {
    AddRules({"##.common", "~example.org##.generic-restricted", "example.org##.specific",
              "##div:has(.x)", "example.org#?#.specific-extended", "#$#body { color: red }",
              "example.org#?$#div:has(a) { color: blue }"});
    Parts common = parts(BuildCommonCss());
    EXPECT_EQ(common.groups, (Groups{{".common"}}));
    EXPECT_EQ(common.styles, (Styles{"body { color: red }"}));

    Parts specific = parts(BuildCss("www.example.org", kBoth));
    EXPECT_EQ(specific.groups, (Groups{{".specific"}}));
    EXPECT_TRUE(specific.styles.empty());

    std::string extended = BuildExtendedCss("www.example.org", kBoth);
    Parts extended_parts = parts(extended);
    EXPECT_EQ(extended_parts.groups, (Groups{{".specific-extended"}, {"div:has(.x)"}}));
    EXPECT_EQ(extended_parts.styles, (Styles{"div:has(a) { color: blue }"}));
    EXPECT_EQ(BuildExtendedCss("example.com", CSSFILTER_SPECIFIC), "null");
    EXPECT_EQ(BuildExtendedCss("example.com", CSSFILTER_GENERIC),
              "div:has(.x) { display: none!important; }\n");
}

TEST_F(CssFilterTest, GenericAndSpecificFlags) {
    AddRules({"~example.org##.generic", "example.com##.specific", "##.everywhere"});
    EXPECT_EQ(BuildCss("example.com", CSSFILTER_GENERIC), ".generic" + std::string(kHide) + "\n");
    EXPECT_EQ(BuildCss("example.com", CSSFILTER_SPECIFIC), ".specific" + std::string(kHide) + "\n");
    EXPECT_EQ(parts(BuildCss("example.com", kBoth)).groups, (Groups{{".generic", ".specific"}}));
    EXPECT_EQ(BuildCss("example.org", kBoth), "null");
    EXPECT_EQ(BuildCss("example.net", 0), "null");
}

TEST_F(CssFilterTest, NoMatchGivesNull) {
    EXPECT_EQ(BuildCss("example.org", kBoth), "null");
    EXPECT_EQ(BuildCommonCss(), "null");
    AddRules({"example.com##.ad"});
    EXPECT_EQ(BuildCss("example.org", kBoth), "null");
    EXPECT_EQ(BuildExtendedCss("example.com", kBoth), "null");
    EXPECT_EQ(BuildCommonCss(), "null");
}

TEST_F(CssFilterTest, NullDomainGivesNullWithoutMatching) {
    AddRules({"example.org##.ad", "##.ad"});
    LogCapture capture;
    EXPECT_EQ(BuildCss(nullptr, kBoth), "null");
    EXPECT_EQ(BuildExtendedCss(nullptr, CSSFILTER_GENERIC), "null");
    EXPECT_EQ(capture.messages(),
              (std::vector<std::string>{
                  "cssfilter_buildcss(): Called with domain (null), generics are included, "
                  "specifics are included",
                  "cssfilter_buildextendedcss(): Called with domain (null), generics are "
                  "included, specifics are excluded"}));
    EXPECT_TRUE(filter_->whitelists_dirty);
}

TEST_F(CssFilterTest, DomainlessExceptionSuppressesTheSelectorEverywhere) {
    AddRules({"example.com##.ad", "##.ad", "~example.net##.ad", "##.other", "#@#.ad"});
    EXPECT_EQ(BuildCommonCss(), ".other" + std::string(kHide) + "\n");
    EXPECT_EQ(BuildCss("example.com", kBoth), "null");
    EXPECT_EQ(BuildCss("example.com", CSSFILTER_SPECIFIC), "null");
    EXPECT_EQ(RemoveRule("#@#.ad"), CSSFILTER_DONE);
    EXPECT_EQ(BuildCss("example.com", CSSFILTER_SPECIFIC), ".ad" + std::string(kHide) + "\n");
}

TEST_F(CssFilterTest, FoldedExceptionAndItsRemoval) {
    AddRules({"example.org,example.com##.ad", "example.org#@#.ad"});
    const std::string ad = ".ad" + std::string(kHide) + "\n";
    EXPECT_EQ(BuildCss("example.com", kBoth), ad);
    EXPECT_EQ(BuildCss("example.org", kBoth), "null");
    EXPECT_EQ(BuildCss("www.example.org", kBoth), "null");
    EXPECT_EQ(RemoveRule("example.org#@#.ad"), CSSFILTER_DONE);
    EXPECT_EQ(BuildCss("example.org", kBoth), ad);
    EXPECT_EQ(BuildCss("example.com", kBoth), ad);
}

TEST_F(CssFilterTest, RemovalKeepsTheOtherFoldsAndModifierDomains) {
    AddRules({"[$domain=example.org|example.com|example.net]##.ad", "example.org#@#.ad",
              "example.net#@#.ad"});
    const std::string ad = ".ad" + std::string(kHide) + "\n";
    EXPECT_EQ(BuildCss("example.org", kBoth), "null");
    EXPECT_EQ(RemoveRule("example.org#@#.ad"), CSSFILTER_DONE);
    EXPECT_EQ(BuildCss("example.org", CSSFILTER_SPECIFIC), ad);  // still a specific rule
    EXPECT_EQ(BuildCss("example.net", kBoth), "null");           // folded again
    EXPECT_EQ(BuildCss("example.com", kBoth), ad);
}

TEST_F(CssFilterTest, ApplyWhitelistsTrace) {
    AddRules({"example.org,example.com##.ad", "example.org#@#.ad"});
    LogCapture capture;
    EXPECT_EQ(BuildCss("example.com", CSSFILTER_SPECIFIC), ".ad" + std::string(kHide) + "\n");
    std::vector<std::string> folding;
    for (const std::string &message : capture.messages(LOG_LEVEL_TRACE)) {
        if (message.rfind("apply_whitelists", 0) == 0) {
            folding.push_back(message);
        }
    }
    EXPECT_EQ(folding, (std::vector<std::string>{
                           "apply_whitelists(): Called, have 2 rules",
                           "apply_whitelists(): Found whitelist rule 'example.org#@#.ad'",
                           "apply_whitelists(): Got 1 whitelist rules",
                           "apply_whitelists(): Found whitelist 'example.org,example.com##.ad' "
                           "that restricts an existing rule ^.^",
                       }));
    capture.clear();
    BuildCss("example.com", CSSFILTER_SPECIFIC);  // folded already: no second application
    for (const std::string &message : capture.messages()) {
        EXPECT_NE(message.rfind("apply_whitelists", 0), 0u) << message;
    }
}

TEST_F(CssFilterTest, BuildTrace) {
    AddRules({"example.com##.ad"});
    LogCapture capture;
    BuildCss("example.com", CSSFILTER_SPECIFIC);
    BuildCss("example.net", CSSFILTER_SPECIFIC);
    BuildCommonCss();
    EXPECT_EQ(capture.messages(),
              (std::vector<std::string>{
                  "cssfilter_buildcss(): Called with domain example.com, generics are excluded, "
                  "specifics are included",
                  "apply_whitelists(): Called, have 1 rules",
                  "apply_whitelists(): Got 0 whitelist rules",
                  "is_matching_rule(): considering rule 'example.com##.ad'...",
                  "add_rule_to_result(): Called with rule: example.com##.ad",
                  "cssfilter_buildcss(): Called with domain example.net, generics are excluded, "
                  "specifics are included",
                  "is_matching_rule(): considering rule 'example.com##.ad'...",
                  "is_matching_rule(): ...common part check failed",
                  "cssfilter_buildcommoncss(): Called",
                  "is_matching_rule(): considering rule 'example.com##.ad'...",
                  "is_matching_rule(): ...common part check failed",
              }));
    for (const CapturedLine &line : capture.lines()) {
        EXPECT_EQ(line.level, LOG_LEVEL_TRACE);
        EXPECT_EQ(line.logger, "cssfilter");
    }
}

TEST_F(CssFilterTest, AppAndPathModifiers) {
    AddRules({"[$app=a.exe]example.org##.app", "[$path=/page]example.org##.path",
              "[$app=~b.exe]##.not-b", "[$path=|/x|]##.exactly-x"});
    EXPECT_EQ(parts(BuildCss("example.org", kBoth, "a.exe", "/page")).groups,
              (Groups{{".app", ".path"}}));
    EXPECT_EQ(BuildCss("example.org", kBoth, "c.exe", "/other"), "null");
    EXPECT_EQ(BuildCss("example.org", kBoth, nullptr, "/page"),
              ".path" + std::string(kHide) + "\n");
    EXPECT_EQ(parts(BuildCommonCss("a.exe", "/x")).groups, (Groups{{".exactly-x", ".not-b"}}));
    EXPECT_EQ(BuildCommonCss("b.exe", "/x"), ".exactly-x" + std::string(kHide) + "\n");
    EXPECT_EQ(BuildCommonCss("b.exe", "/xy"), "null");
}

TEST_F(CssFilterTest, ExceptionsWithAppsAndPathsMatchAtBuildTime) {
    AddRules({"example.org##.ad", "example.org,example.com##.banner", "##.common",
              "[$app=a.exe]#@#.ad", "[$path=/free]example.org#@#.banner",
              "[$path=/free]#@#.common"});
    const std::string ad = ".ad" + std::string(kHide) + "\n";
    const std::string banner = ".banner" + std::string(kHide) + "\n";
    EXPECT_EQ(BuildCss("example.org", kBoth, "c.exe", "/free"), ad);
    EXPECT_EQ(parts(BuildCss("example.org", kBoth, "c.exe", "/paid")).groups,
              (Groups{{".ad", ".banner"}}));
    EXPECT_EQ(BuildCss("example.com", kBoth, "c.exe", "/free"), banner);
    EXPECT_EQ(BuildCss("example.org", kBoth, "a.exe", "/free"), "null");
    EXPECT_EQ(BuildCommonCss("c.exe", "/free"), "null");
    EXPECT_EQ(BuildCommonCss("c.exe", "/paid"), ".common" + std::string(kHide) + "\n");
}

}  // namespace

namespace {

// Every hidden selector and style block of a built text, sorted: where a
// style block closes a group depends on the walk's order, the effect does not.
std::vector<std::string> effect(const std::string &css) {
    if (css == "null") {
        return {};
    }
    Parts split = parts(css);
    std::vector<std::string> all = split.styles;
    for (const auto &group : split.groups) {
        all.insert(all.end(), group.begin(), group.end());
    }
    std::sort(all.begin(), all.end());
    return all;
}

// Builds look only at the rules the index offers for the host, unless TRACE
// asks for every rule to be named: both walks must give the same texts.
TEST_F(CssFilterTest, IndexedBuildsEqualTheFullWalk) {
    AddRules({
        "##.everywhere",
        "##div:has(> .ad)",
        "example.org##.org",
        "sub.example.org##.sub",
        "example.org,sub.example.org##.twice",
        "EXAMPLE.ORG##.upper",
        "example.*##.any-tld",
        "www.example.*##.any-tld-www",
        "~example.org##.not-on-org",
        "~example.*##.not-any-tld",
        "example.org,~sub.example.org##.org-not-sub",
        "example.org#?#div:has-text(x)",
        "example.org#$#body { color: red }",
        "example.org#@#.org",
        "sub.example.org#@#.twice",
        "127.0.0.1##.loopback",
        "[::1]##.v6",
        "[$path=/news]example.org##.news",
        "[$app=browser]example.org##.in-browser",
        "[$domain=example.org|~www.example.org]##.prefix-domains",
    });
    const char *hosts[] = {"example.org",
                           "sub.example.org",
                           "www.example.org",
                           "a.sub.example.org",
                           "example.org.",
                           "example.org:8080",
                           "example.co.uk",
                           "www.example.de",
                           "other.org",
                           "127.0.0.1",
                           "127.0.0.1:80",
                           "[::1]",
                           "org",
                           "",
                           "example"};
    for (const char *host : hosts) {
        for (uint8_t flags : {uint8_t{CSSFILTER_GENERIC}, uint8_t{CSSFILTER_SPECIFIC}, kBoth}) {
            SCOPED_TRACE(std::string(host) + " flags " + std::to_string(flags));
            std::string css, extended, common;
            {
                LogCapture quiet(LOG_LEVEL_INFO);
                css = BuildCss(host, flags, "browser", "/news/1");
                extended = BuildExtendedCss(host, flags, "browser", "/news/1");
                common = BuildCommonCss("browser", "/news/1");
            }
            LogCapture trace(LOG_LEVEL_TRACE);
            EXPECT_EQ(effect(css), effect(BuildCss(host, flags, "browser", "/news/1")));
            EXPECT_EQ(effect(extended),
                      effect(BuildExtendedCss(host, flags, "browser", "/news/1")));
            EXPECT_EQ(common, BuildCommonCss("browser", "/news/1"));
        }
    }
    // The index follows rule changes.
    ASSERT_EQ(RemoveRule("example.org#@#.org"), CSSFILTER_DONE);
    ASSERT_EQ(RemoveRule("sub.example.org##.sub"), CSSFILTER_DONE);
    LogCapture quiet(LOG_LEVEL_INFO);
    EXPECT_EQ(
        effect(BuildCss("sub.example.org", kBoth)),
        (std::vector<std::string>{".any-tld", ".org", ".prefix-domains", "body { color: red }"}));
}

}  // namespace

namespace {

// The common CSS is kept between builds; every rule change makes it anew.
TEST_F(CssFilterTest, CommonCssFollowsRuleChanges) {
    LogCapture quiet(LOG_LEVEL_INFO);
    AddRules({"##.first", "example.org##.specific"});
    EXPECT_EQ(effect(BuildCommonCss()), std::vector<std::string>{".first"});
    EXPECT_EQ(effect(BuildCommonCss("app", "/any")), std::vector<std::string>{".first"});
    AddRules({"##.second"});
    EXPECT_EQ(effect(BuildCommonCss()), (std::vector<std::string>{".first", ".second"}));
    AddRules({"#@#.first"});
    EXPECT_EQ(effect(BuildCommonCss()), std::vector<std::string>{".second"});
    AddRules({"[$path=/news]#@#.second"});
    EXPECT_EQ(effect(BuildCommonCss(nullptr, "/news")), std::vector<std::string>{});
    EXPECT_EQ(effect(BuildCommonCss(nullptr, "/sport")), std::vector<std::string>{".second"});
}

}  // namespace
