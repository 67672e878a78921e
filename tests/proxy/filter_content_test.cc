#include "core/proxy/filter_content.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/proxy/filter_url.h"
#include "core/proxy/proxy_filter_factory.h"
#include "tests/support/log_capture.h"

namespace {

std::string text_or_null(const OvMallocText &text) {
    return text ? std::string(text.get()) : std::string("null");
}

// The selectors of a hiding group come in the storage's order; sorted, a
// group compares with an expected text.
std::string sorted_group(const OvMallocText &text) {
    std::string css = text_or_null(text);
    size_t brace = css.find(" {");
    if (brace == std::string::npos || css.find('\n') + 1 != css.size()) {
        return css;
    }
    std::vector<std::string> selectors;
    for (size_t start = 0, comma; start < brace; start = comma + 2) {
        comma = std::min(css.find(", ", start), brace);
        selectors.push_back(css.substr(start, comma - start));
    }
    std::sort(selectors.begin(), selectors.end());
    std::string sorted;
    for (const std::string &selector : selectors) {
        sorted += (sorted.empty() ? "" : ", ") + selector;
    }
    return sorted + css.substr(brace);
}

const char kHide[] = " { display: none!important; }\n";

class FilterContentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char *rule : {
                 "##.common",
                 "~other.org##.negated",
                 "example.org##.specific",
                 "example.org##div:has(.inner)",
                 "example.org#%#window.marker = 1",
             }) {
            ASSERT_EQ(filter.addRule(rule, strlen(rule), 0), OV_FILTER_DONE) << rule;
        }
    }

    OvContentInjection compose(const std::string &query) {
        return filter.composeInjection(OvQueryParameters(query));
    }

    OvFilterContent filter;
};

TEST_F(FilterContentTest, TakesCosmeticRulesOnly) {
    struct Row {
        const char *rule;
        int add;
    };
    const Row rows[] = {
        {"example.org##.ad", OV_FILTER_DONE},
        {"example.org##.ad", OV_FILTER_DONE},  // already held
        {"example.org#@#.ad", OV_FILTER_DONE},
        {"example.org#%#//scriptlet('abort-on-property-read', 'x')", OV_FILTER_DONE},
        {"example.org#@%#//scriptlet('abort-on-property-read', 'x')", OV_FILTER_DONE},
        {"||ads.example.org^", OV_FILTER_NOT_MINE},
        {"example.org##+js(set-constant, x, 1)", OV_FILTER_NOT_MINE},  // converted first
        // Held until its first build, which reports and drops it.
        {"example.org#%#//scriptlet('no-such-scriptlet')", OV_FILTER_DONE},
        {"example.org$$script", OV_FILTER_NOT_MINE},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rule);
        EXPECT_EQ(filter.addRule(row.rule, strlen(row.rule), 0), row.add);
    }
    EXPECT_EQ(filter.ruleCount(), 5u + 5u);
    EXPECT_EQ(filter.clearRule("example.org##.ad"), OV_FILTER_DONE);
    EXPECT_EQ(filter.clearRule("example.org##.ad"), OV_FILTER_NOT_MINE);
    EXPECT_EQ(filter.clearRule("example.org#%#window.marker = 1"), OV_FILTER_DONE);
    EXPECT_EQ(filter.clearRule("||ads.example.org^"), OV_FILTER_NOT_MINE);
    EXPECT_EQ(filter.ruleCount(), 5u + 5u - 2u);
}

// What the css mask builds, and how bad masks are reported.
TEST_F(FilterContentTest, CssMaskSelectsTheTexts) {
    const std::string common = std::string(".common") + kHide;
    const std::string specific = std::string(".negated, .specific") + kHide;
    const std::string extended = std::string("div:has(.inner)") + kHide;
    struct Row {
        const char *css;
        std::string common, specific, extended;
        const char *debug;  // the DEBUG line about the mask, or null
    };
    const Row rows[] = {
        // A generic rule with domain entries only ever comes with the
        // specific CSS; the extended rule here is not generic.
        {"1", common, std::string(".negated") + kHide, "null", nullptr},
        {"2", "null", std::string(".specific") + kHide, extended, nullptr},
        {"3", common, specific, extended, nullptr},
        {"0", "null", "null", "null", nullptr},
        {"1x", "null", "null", "null", "Malformed css genericness parameter: 1x"},
        {"", "null", "null", "null", "Failed to parse css genericness parameter: invalid argument"},
        {"+1", "null", "null", "null",
         "Failed to parse css genericness parameter: invalid argument"},
        {"99999999999", "null", "null", "null",
         "Failed to parse css genericness parameter: result out of range"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.css);
        LogCapture log(LOG_LEVEL_DEBUG);
        OvContentInjection injection = compose(std::string("dmn=example.org&app=a&css=") + row.css);
        EXPECT_EQ(text_or_null(injection.commonCss), row.common);
        EXPECT_EQ(sorted_group(injection.specificCss), row.specific);
        EXPECT_EQ(text_or_null(injection.extendedCss), row.extended);
        EXPECT_EQ(text_or_null(injection.script), "null");
        std::vector<std::string> expected;
        if (row.debug != nullptr) {
            expected.emplace_back(row.debug);
        }
        EXPECT_EQ(log.messages(LOG_LEVEL_DEBUG), expected);
    }
}

TEST_F(FilterContentTest, ScriptOnlyForJsExactlyOne) {
    struct Row {
        const char *query;
        const char *script;
    };
    const Row rows[] = {
        {"dmn=example.org&js=1", "window.marker = 1;\n"},
        {"dmn=example.org&js=true", "null"},
        {"dmn=example.org&js=", "null"},
        {"dmn=other.org&js=1", "null"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.query);
        EXPECT_EQ(text_or_null(compose(row.query).script), row.script);
    }
}

TEST_F(FilterContentTest, FilteringContextAndAppName) {
    LogCapture log(LOG_LEVEL_DEBUG);
    EXPECT_EQ(compose("dmn=example.org&rel=1").filteringContext,
              "{\"isReferrerRuleJsInject\":false,\"isReferrerRuleElemhide\":true}");
    EXPECT_EQ(compose("dmn=example.org&app=x&rji=1&rel=yes").filteringContext,
              "{\"isReferrerRuleJsInject\":true,\"isReferrerRuleElemhide\":false}");
    EXPECT_EQ(log.messages(LOG_LEVEL_DEBUG),
              (std::vector<std::string>{
                  "Failed to decode app name:  -- matching without it",
                  "Failed to parse css genericness parameter: invalid argument",
                  "Failed to parse css genericness parameter: invalid argument",
              }));
    log.clear();
    compose("dmn=example.org&app=%zz&css=0");
    EXPECT_EQ(log.messages(LOG_LEVEL_DEBUG),
              std::vector<std::string>{"Failed to decode app name: %zz -- matching without it"});
}

// The path and app come percent-decoded to the rules' path and app checks.
TEST_F(FilterContentTest, PathAndAppAreDecoded) {
    for (const char *rule : {"[$path=/a b/]example.org##.in-path", "[$app=my app]##.in-app"}) {
        ASSERT_EQ(filter.addRule(rule, strlen(rule), 0), OV_FILTER_DONE) << rule;
    }
    OvContentInjection injection = compose("dmn=example.org&pth=%2Fa%20b%2F&app=my%20app&css=3");
    EXPECT_NE(text_or_null(injection.specificCss).find(".in-path"), std::string::npos);
    EXPECT_NE(text_or_null(injection.commonCss).find(".in-app"), std::string::npos);
}

// Through the facade a cosmetic rule stops at the content filter, a network
// rule reaches the URL filter, and a foreign scriptlet rule arrives converted.
TEST(FilterContentFacade, RulesReachTheirFilter) {
    auto facade = ov_make_proxy_filter({});
    auto *content = dynamic_cast<OvFilterContent *>(facade->getFilter(typeid(OvFilterContent)));
    auto *url = dynamic_cast<OvFilterUrl *>(facade->getFilter(typeid(OvFilterUrl)));
    ASSERT_NE(content, nullptr);
    ASSERT_NE(url, nullptr);
    for (const std::string rule :
         {"example.org##.ad", "||ads.example.org^", "example.org##+js(set-constant, x, 1)"}) {
        EXPECT_EQ(facade->addRule(rule.data(), rule.size(), 0), 0) << rule;
    }
    EXPECT_EQ(content->ruleCount(), 2u);
    EXPECT_EQ(url->ruleCount(), 1u);
    OvContentInjection injection =
        content->composeInjection(OvQueryParameters("dmn=example.org&js=1"));
    EXPECT_NE(text_or_null(injection.script).find("set-constant"), std::string::npos);
    EXPECT_EQ(facade->clearRule("example.org##+js(set-constant, x, 1)"), 0);
    EXPECT_EQ(content->ruleCount(), 1u);
}

}  // namespace
