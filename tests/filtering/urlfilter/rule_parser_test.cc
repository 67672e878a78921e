#define PCRE2_CODE_UNIT_WIDTH 8
#include "core/filtering/urlfilter/rule_parser.h"

#include <gtest/gtest.h>
#include <pcre2.h>

#include <string>
#include <vector>

#include "core/filtering/common/regex_limits.h"
#include "core/filtering/urlfilter/rule_options.h"
#include "tests/support/log_capture.h"
#include "tests/support/rule_breakdown.h"

namespace {

using Messages = std::vector<std::string>;

struct Row {
    std::string text;
    int status;
    std::string breakdown;  // when it parses
    Messages warnings = {};
};

class RuleParser : public testing::Test {
  protected:
    void SetUp() override { urlfilter_context_init(&engine_, log_.get(), true); }
    void TearDown() override { urlfilter_context_release(&engine_); }

    // Parses `text`; returns the status, fills `breakdown` when it parsed and
    // `warnings` with what was logged at WARN and ERROR.
    int Parse(const std::string &text, std::string *breakdown, Messages *warnings) {
        LogCapture capture;
        cached_rule_t rule{};
        int rc = parse_rule(&engine_, text.data(), text.size(), 7, &rule);
        *breakdown = rc == RULE_PARSE_OK ? rule_breakdown(rule) : "";
        *warnings = capture.messages(LOG_LEVEL_WARN);
        Messages errors = capture.messages(LOG_LEVEL_ERROR);
        warnings->insert(warnings->end(), errors.begin(), errors.end());
        if (rc == RULE_PARSE_OK) {
            EXPECT_EQ(rule.user_tag, 7);
        } else if (rc != RULE_PARSE_REJECTED || !rule_breakdown(rule).empty()) {
            EXPECT_EQ(rule.options, nullptr);  // released and emptied
            EXPECT_EQ(rule.shortcut, nullptr);
        }
        rule_release(&rule);
        return rc;
    }

    void Check(const std::vector<Row> &rows) {
        for (const Row &row : rows) {
            SCOPED_TRACE(row.text);
            std::string breakdown;
            Messages warnings;
            EXPECT_EQ(Parse(row.text, &breakdown, &warnings), row.status);
            EXPECT_EQ(breakdown, row.breakdown);
            EXPECT_EQ(warnings, row.warnings);
        }
    }

    LogHandle log_{"urlfilter", -1};
    urlfilter_context_t engine_{};
};

TEST_F(RuleParser, NonNetworkTextsAreRejectedSilently) {
    Check({
        {"! comment", 1, ""},
        {"# x", 1, ""},
        {"[Adblock Plus 2.0]", 1, ""},
        {"abc", 1, ""},
        {"example.org##.ad", 1, ""},
        {"example.org#@#.ad", 1, ""},
        {"example.org#$#body { color: red }", 1, ""},
        {"example.org#%#window.x = 1", 1, ""},
        {"example.org#?#div:has(> .ad)", 1, ""},
        {"example.org$$script[data-ad]", 1, ""},
        {"[$path=/x]##.ad", 1, ""},
        {"\r\n||x.com^", 1, ""},
        {"", 1, ""},
    });
}

TEST_F(RuleParser, PatternsAndOptionSeparator) {
    Check({
        {"@@||example.org^$document", 0,
         "flags=WHITELIST|ELEMHIDE|JSINJECT|CONTENT|URLBLOCK|DOCUMENT|EXTENSION "
         "pattern=||example.org^ shortcut=example.org types=+DOCUMENT"},
        {"  \t||ads.example.com^", 0, "flags= pattern=||ads.example.com^ shortcut=ads.example.com"},
        {"/ad$/", 0, "flags= pattern=/ad$/ shortcut=ad"},
        {"/banner$/$domain=example.com", 0,
         "flags= pattern=/banner$/ shortcut=banner domains=example.com"},
        {"||example.com^$", 0, "flags= pattern=||example.com^ shortcut=example.com"},
        {"||example.org/page$foo", 0,
         "flags= pattern=||example.org/page$foo shortcut=example.org/page$foo"},
        {"||example.org^$foo", 1, ""},
        {"||example.org/x$network", 1, ""},
        {"||example.org/x$image,foo", 1, ""},
        {"/a\\$b/$image", 0, "flags= pattern=/a\\$b/ shortcut=a types=+IMAGE"},
        {"||Ads.Example.org^*banner", 0,
         "flags= pattern=||Ads.Example.org^*banner shortcut=ads.example.org"},
        {"/banner(s)?\\d+/", 0, "flags= pattern=/banner(s)?\\d+/ shortcut="},
        {"/foo\\dbarbaz/", 0, "flags= pattern=/foo\\dbarbaz/ shortcut=barbaz"},
        {"/a(bcdef)gh/", 0, "flags= pattern=/a(bcdef)gh/ shortcut=gh"},
        {"/[a-z]+banner{2}/", 0, "flags= pattern=/[a-z]+banner{2}/ shortcut=banner"},
        {"-ad-banner-", 0, "flags= pattern=-ad-banner- shortcut=-ad-banner-"},
        {"aa|bb*cc", 0, "flags= pattern=aa|bb*cc shortcut=cc"},  // last of equal length
    });
}

TEST_F(RuleParser, OverBroadRules) {
    auto wide = [](const std::string &text) {
        return Messages{"parse_rule(): Rule '" + text + "' is too wide, not adding it"};
    };
    Check({
        {"****", 1, "", wide("****")},
        {"||$third-party", 1, "", wide("||$third-party")},
        {"||||$image", 0,
         "flags= pattern=|||| shortcut= types=+IMAGE"},  // pipes inside are literal
        {"|https://", 1, "", wide("|https://")},
        {"||*|", 1, "", wide("||*|")},
        {"$image", 1, "", wide("$image")},
        {"@@*$image", 1, "", wide("@@*$image")},
        {"*$denyallow=example.com", 1, "", wide("*$denyallow=example.com")},
        {"*$domain=example.com", 0, "flags= pattern=* shortcut= domains=example.com"},
        {"*$app=a.exe", 0, "flags= pattern=* shortcut= apps=a.exe"},
        {"*$cookie=x", 0, "flags=COOKIE pattern=* shortcut="},
        {"*$removeparam=utm", 0, "flags=REMOVEPARAM pattern=* shortcut= types=+DOCUMENT"},
        {"|*|x", 0, "flags= pattern=|*|x shortcut=x"},
    });
}

TEST_F(RuleParser, Options) {
    auto blocking = [](const char *name, const std::string &text) {
        return Messages{std::string("parse_rule_option(): rule with '") + name +
                        "' modifier can't be blocking (" + text + ")"};
    };
    Check({
        {"||example.com^$ELEMHIDE", 1, "", blocking("elemhide", "||example.com^$ELEMHIDE")},
        {"||example.com^$~jsinject", 1, "", blocking("jsinject", "||example.com^$~jsinject")},
        {"@@||example.com^$ehide", 0,
         "flags=WHITELIST|ELEMHIDE pattern=||example.com^ shortcut=example.com"},
        {"@@||example.com^$ghide,shide,urlblock", 0,
         "flags=WHITELIST|GENERICHIDE|URLBLOCK|SPECIFICHIDE pattern=||example.com^ "
         "shortcut=example.com"},
        {"||example.com^$document", 0,
         "flags=DOCUMENT pattern=||example.com^ shortcut=example.com types=+DOCUMENT"},
        {"||example.com^$~match-case", 0,
         "flags=CASE_SENSITIVE pattern=||example.com^ shortcut=example.com"},
        {"||example.com^$important,~important", 0,
         "flags= pattern=||example.com^ shortcut=example.com"},
        {"||example.com^$image,,script", 1, ""},
        {"||example.com^$image,", 1, ""},
        {"||example.com^$all", 3, ""},
        {"||example.com^$image,all", 3, ""},
        {"||example.com^$_", 0, "flags= pattern=||example.com^ shortcut=example.com"},
        {"||example.com^$___,css", 0,
         "flags= pattern=||example.com^ shortcut=example.com types=+STYLESHEET"},
        {"||example.com^$_all", 3, ""},
        {"||example.com^$~important-x", 0, "flags= pattern=||example.com^ shortcut=example.com"},
        {"||example.com^$third-party,first-party", 0,
         "flags= pattern=||example.com^ shortcut=example.com party=first"},
        {"||example.com^$~3p", 0, "flags= pattern=||example.com^ shortcut=example.com party=first"},
        {"||example.com^$3p", 0, "flags= pattern=||example.com^ shortcut=example.com party=third"},
        {"||example.com^$~popup", 1, ""},
        {"||example.com^$~1p", 1, ""},
        {"||example.com^$~domain=a.com", 1, ""},
        {"||example.com^$image,~script,XHR,frame,~doc", 0,
         "flags= pattern=||example.com^ shortcut=example.com "
         "types=+IMAGE-SCRIPT+XMLHTTPREQUEST-DOCUMENT+SUBDOCUMENT"},
        {"||example.com^$popup", 0,
         "flags=POPUP pattern=||example.com^ shortcut=example.com types=+DOCUMENT"},
        {"||example.com^$document,popup", 0,
         "flags=POPUP|DOCUMENT pattern=||example.com^ shortcut=example.com"},
        {"||example.com^$document,redirect=noopjs", 0,
         "flags=REDIRECT pattern=||example.com^ shortcut=example.com types=+DOCUMENT"},
        {"||example.com^$replace=/a/b/", 0,
         "flags=REPLACE pattern=||example.com^ shortcut=example.com "
         "types=+OTHER+SCRIPT+STYLESHEET+OBJECT+XMLHTTPREQUEST+DOCUMENT+SUBDOCUMENT"},
        {"||example.com^$removeparam=x", 0,
         "flags=REMOVEPARAM pattern=||example.com^ shortcut=example.com types=+DOCUMENT"},
        {"||example.com^$domain=a.com|~b.com|c.*,app=x.exe|~y.exe", 0,
         "flags= pattern=||example.com^ shortcut=example.com domains=a.com|c.*|~b.com "
         "apps=x.exe|~y.exe"},
        {"||example.com^$domain=", 1, "", {"extract_domains(): Empty domains list"}},
        {"||example.com^$domain=a.com|", 0,
         "flags= pattern=||example.com^ shortcut=example.com domains=a.com"},
        {"||example.com^$domain=a.com||b.com",
         1,
         "",
         {"extract_rule_domains_with_delim(): Empty domain: |b.com",
          "extract_domains(): Failed to extract domains"}},
        {"/ads/*$denyallow=example.com|example.net", 0,
         "flags= pattern=/ads/* shortcut=/ads/ denyallow=example.com|example.net"},
        {"||example.com^$denyallow=example.net",
         1,
         "",
         {"extract_denyallow(): Rule's matching pattern cannot target any domain"}},
        {"/ads/*$denyallow=~example.net",
         1,
         "",
         {"extract_denyallow(): $denyallow modifier can't have excluded domains"}},
        {"/ads/*$denyallow=b.*",
         1,
         "",
         {"extract_denyallow(): $denyallow modifier can't have any-TLD domains"}},
        {"/ads/*$denyallow=", 1, "", {"extract_denyallow(): Empty domains list"}},
        {"||example.com^$redirect=noopjs", 0,
         "flags=REDIRECT pattern=||example.com^ shortcut=example.com"},
        {"||example.com^$redirect=NoopJS",
         1,
         "",
         {"redirect_rule_parse(): there is no resource with such name (NoopJS) in the "
          "redirect resources base"}},
        {"@@||example.com^$redirect", 0,
         "flags=WHITELIST|REDIRECT pattern=||example.com^ shortcut=example.com"},
    });
}

TEST_F(RuleParser, Validation) {
    auto msg = [](const std::string &text) { return text; };
    Check({
        {"@@||example.com^$elemhide,generichide",
         1,
         "",
         {msg("validate_option(): detected incompatible options: ELEMHIDE -- GENERICHIDE "
              "(rule='@@||example.com^$elemhide,generichide')")}},
        {"||example.com^$cookie,image",
         1,
         "",
         {msg("validate_option(): rule with 'COOKIE' modifier may not contain any content "
              "type modifiers (rule='||example.com^$cookie,image')")}},
        {"||example.com^$replace=/a/b/,image",
         1,
         "",
         {msg("validate_option(): detected incompatible content type: IMAGE "
              "(rule='||example.com^$replace=/a/b/,image')")}},
        {"||example.com^$cookie,important", 0,
         "flags=IMPORTANT|COOKIE pattern=||example.com^ shortcut=example.com"},
        {"||example.com^$cookie,redirect=noopjs",
         1,
         "",
         {msg("validate_option(): detected incompatible options: COOKIE -- REDIRECT "
              "(rule='||example.com^$cookie,redirect=noopjs')")}},
        {"@@||example.com^$document,csp",
         1,
         "",
         {msg("validate_option(): detected incompatible options: DOCUMENT -- CSP "
              "(rule='@@||example.com^$document,csp')")}},
        {"@@||example.com^$elemhide,image",
         1,
         "",
         {msg("validate_option(): detected incompatible content type: IMAGE "
              "(rule='@@||example.com^$elemhide,image')")}},
        {"@@||example.com^$elemhide,xhr,subdocument", 0,
         "flags=WHITELIST|ELEMHIDE pattern=||example.com^ shortcut=example.com "
         "types=+XMLHTTPREQUEST+SUBDOCUMENT"},
        {"||example.com^$hls=/x/,image",
         1,
         "",
         {msg("validate_option(): detected incompatible content type: IMAGE "
              "(rule='||example.com^$hls=/x/,image')")}},
    });
}

TEST_F(RuleParser, BadfilterText) {
    struct {
        const char *text;
        const char *badfilter;
    } rows[] = {
        {"||example.com^$image,badfilter", "||example.com^$image"},
        {"||example.com^$badfilter", "||example.com^"},
        {"||example.com^$badfilter,image", "||example.com^$image"},
        {"||example.com^$image,BadFilter", "||example.com^$image"},
        {"@@||example.com^$badfilter,domain=a.com", "@@||example.com^$domain=a.com"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        cached_rule_t rule{};
        ASSERT_EQ(parse_rule(&engine_, row.text, strlen(row.text), 0, &rule), 0);
        EXPECT_TRUE(rule.flags & RULE_BADFILTER);
        ASSERT_NE(rule.options, nullptr);
        EXPECT_STREQ(rule.options->badfilter_text, row.badfilter);
        rule_release(&rule);
    }
}

TEST_F(RuleParser, CompilesPatternOnDemand) {
    struct {
        const char *text;
        const char *url;
        bool matches;
    } rows[] = {
        {"||example.org^", "https://EXAMPLE.org/x", true},
        {"||example.org^$match-case", "https://EXAMPLE.org/x", false},
        {"/ban+er\\d/", "http://x/bannner7", true},
        {"|http://x/*.js|", "http://x/a/b.js", true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        cached_rule_t rule{};
        ASSERT_EQ(parse_rule(&engine_, row.text, strlen(row.text), 0, &rule), 0);
        EXPECT_EQ(rule.regex, nullptr);
        ASSERT_EQ(urlfilter_compile_rule(&engine_, &rule), 0);
        EXPECT_EQ(regex_limited_match(rule.regex, row.url, strlen(row.url)), row.matches);
        rule_release(&rule);
    }

    LogCapture capture;
    cached_rule_t broken{};
    ASSERT_EQ(parse_rule(&engine_, "/a(b/", 5, 0, &broken), 0);
    EXPECT_EQ(urlfilter_compile_rule(&engine_, &broken), -1);
    EXPECT_EQ(capture.messages(LOG_LEVEL_WARN),
              Messages{"urlfilter_compile_rule(): Couldn't PCRE-compile rule '/a(b/' -- missing "
                       "closing parenthesis (offset=3)"});
    rule_release(&broken);
}

TEST_F(RuleParser, CloneOwnsItsText) {
    std::string text = "||example.com^$redirect=noopjs,domain=a.com";
    cached_rule_t rule{}, clone{};
    ASSERT_EQ(parse_rule(&engine_, text.data(), text.size(), 42, &rule), 0);
    ASSERT_TRUE(rule_clone(&rule, &clone));
    std::string expected = rule_breakdown(rule);
    rule_release(&rule);
    text.assign(text.size(), 'x');  // the source text is gone
    EXPECT_EQ(rule_breakdown(clone), expected);
    EXPECT_EQ(clone.user_tag, 42);
    EXPECT_EQ(std::string(clone.text, clone.text_len),
              "||example.com^$redirect=noopjs,domain=a.com");
    rule_release(&clone);
}

// The shortcut substitutions run rule-supplied text through expressions that
// backtrack. Long runs are matched from their start only, and what is still
// quadratic stops at the match limit: no rule can hang loading.
TEST_F(RuleParser, PathologicalRegexRulesStillParse) {
    struct {
        std::string text;
        std::string shortcut;
        bool limit_hit;
    } rows[] = {
        {"/" + std::string(20000, 'a') + "(" + std::string(20000, 'b') + "\\)/",
         std::string(20000, 'a'), false},
        {"/" + std::string(20000, '(') + "x/", "", true},
        {"/" + std::string(20000, '(') + ")/", "", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40));
        LogCapture capture;
        cached_rule_t rule{};
        EXPECT_EQ(parse_rule(&engine_, row.text.data(), row.text.size(), 0, &rule), 0);
        EXPECT_EQ(rule.shortcut ? rule.shortcut : "", row.shortcut);
        Messages errors = capture.messages(LOG_LEVEL_ERROR);
        EXPECT_EQ(errors.size(), row.limit_hit ? 1u : 0u);
        if (!errors.empty()) {
            EXPECT_EQ(errors[0].rfind("extract_regex_shortcut(): Couldn't remove special "
                                      "characters from rule ",
                                      0),
                      0u);
        }
        rule_release(&rule);
    }
}

TEST_F(RuleParser, PatternTargetsDomain) {
    struct {
        const char *text;
        bool targets;
    } rows[] = {
        {"||example.org^", true}, {"|http://x", true},       {"/re/$image", true},
        {"example.org", false},   {"*$domain=a.com", false}, {"|https://$domain=a.com", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        cached_rule_t rule{};
        ASSERT_EQ(parse_rule(&engine_, row.text, strlen(row.text), 0, &rule), 0);
        EXPECT_EQ(pattern_targets_domain(&rule), row.targets);
        rule_release(&rule);
    }
}

}  // namespace
