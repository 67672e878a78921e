#include "core/filtering/urlfilter/urlfilter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/filtering/urlfilter/rule_options.h"
#include "tests/support/log_capture.h"
#include "tests/support/multirules_text.h"

namespace {

struct Request {
    std::string url;
    std::string referrer = "";
    uint32_t type = 0;
    uint8_t flags = 0;
    std::vector<std::string> excluded = {};
    const char *app = nullptr;
};

class Engine : public testing::Test {
  protected:
    void SetUp() override { engine_ = urlfilter_new(log_.get(), 64); }
    void TearDown() override { urlfilter_free(engine_); }

    void AddRules(const std::vector<std::string> &rules) {
        for (const std::string &rule : rules) {
            ASSERT_EQ(urlfilter_addrule(engine_, rule.data(), rule.size(), 0), URLFILTER_ADDED)
                << rule;
        }
    }

    std::string Match(const Request &r) {
        std::vector<urlfilter_text_t> excluded;
        for (const std::string &text : r.excluded) {
            excluded.push_back({static_cast<uint32_t>(text.size()), text.c_str()});
        }
        urlfilter_request_t request{};
        request.url = r.url.c_str();
        request.url_len = static_cast<uint32_t>(r.url.size());
        request.referrer = r.referrer.c_str();
        request.referrer_len = static_cast<uint32_t>(r.referrer.size());
        request.request_type = r.type;
        request.request_flags = r.flags;
        request.app_name = r.app;
        request.app_name_len = r.app ? static_cast<uint32_t>(strlen(r.app)) : 0;
        request.excluded = excluded.data();
        request.excluded_count = static_cast<uint32_t>(excluded.size());
        urlfilter_multirules_t result = urlfilter_matchurl(engine_, &request);
        std::string text = multirules_text(result);
        urlfilter_multirules_free(&result);
        return text;
    }

    struct Row {
        std::vector<std::string> rules;
        Request request;
        std::string expected;
    };

    void Check(const std::vector<Row> &rows) {
        for (const Row &row : rows) {
            SCOPED_TRACE(row.rules.front() + " @ " + row.request.url + " from " +
                         row.request.referrer);
            urlfilter_free(engine_);
            engine_ = urlfilter_new(log_.get(), 64);
            AddRules(row.rules);
            EXPECT_EQ(Match(row.request), row.expected);
        }
    }

    LogHandle log_{"urlfilter", -1};
    urlfilter_s *engine_ = nullptr;
};

constexpr uint32_t kScript = CONTENT_SCRIPT, kImage = CONTENT_IMAGE, kDoc = CONTENT_DOCUMENT;
constexpr uint8_t k3p = URLFILTER_THIRD_PARTY;

TEST_F(Engine, UrlsThatDoNotParseGiveNothing) {
    AddRules({"||example.com^", "/ads/"});
    for (const std::string &url :
         {std::string("example.com/ads/"), std::string("https:///ads/"),
          std::string("1ttp://example.com/ads/"), std::string("http://example.com:x/ads/"),
          "https://example.com/ads/" + std::string(16384, 'a'), std::string("")}) {
        SCOPED_TRACE(url.substr(0, 40));
        EXPECT_EQ(Match({url}), "");
    }
    EXPECT_EQ(Match({"https://example.com/ads/"}), "basic=[||example.com^ /ads/]");
}

TEST_F(Engine, RequestChecks) {
    Check({
        {{"||example.com^$third-party"}, {"https://example.com/x"}, ""},
        {{"||example.com^$third-party"},
         {"https://example.com/x", "", 0, k3p},
         "basic=[||example.com^$third-party]"},
        {{"||example.com^$third-party"}, {"https://example.com/x", "https://a.example.com/"}, ""},
        {{"||example.com^$third-party"},
         {"https://example.com/x", "https://other.org/"},
         "basic=[||example.com^$third-party]"},
        {{"||example.com^$first-party"}, {"https://example.com/x", "", 0, 0}, ""},
        {{"||example.com^$first-party"},
         {"https://example.com/x", "https://www.example.com/"},
         "basic=[||example.com^$first-party]"},
        {{"||example.com^$image"},
         {"https://example.com/x", "", 0},
         "basic=[||example.com^$image]"},
        {{"||example.com^$image"}, {"https://example.com/x", "", kScript}, ""},
        {{"||example.com^$image"},
         {"https://example.com/x", "", kImage},
         "basic=[||example.com^$image]"},
        {{"||example.com^$~image"}, {"https://example.com/x", "", kImage}, ""},
        {{"@@||example.com^$elemhide"}, {"https://example.com/x", "", kScript}, ""},
        {{"||example.com^"}, {"https://example.com/x", "", 0, 0, {"||example.com^"}}, ""},
        {{"||example.com^$app=a.exe"},
         {"https://example.com/x", "", 0, 0, {}, "a.exe"},
         "basic=[||example.com^$app=a.exe]"},
        {{"||example.com^$app=a.exe"}, {"https://example.com/x", "", 0, 0, {}, "b.exe"}, ""},
        {{"||example.com^$app=a.exe"},
         {"https://example.com/x", "", 0, URLFILTER_SKIP_APP_CHECK, {}, "b.exe"},
         "basic=[||example.com^$app=a.exe]"},
        {{"||example.com^$match-case"}, {"https://EXAMPLE.com/x"}, ""},
        {{"||ab.com^"}, {"http://ab.com"}, "basic=[||ab.com^]"},  // shorter than a key: leftovers
        // An expression without a shortcut is still tested against the URL.
        {{"/(https?:\\/\\/)104\\.154\\..{10,}/"},
         {"https://104.154.1.2/xxxxxxxxxxxx"},
         "basic=[/(https?:\\/\\/)104\\.154\\..{10,}/]"},
        {{"/(https?:\\/\\/)104\\.154\\..{10,}/"}, {"https://104.155.1.2/xxxxxxxxxxxx"}, ""},
    });
}

TEST_F(Engine, DomainRestrictions) {
    Check({
        {{"||ads.example^$domain=example.com"},
         {"https://ads.example/x", "https://sub.example.com/"},
         "basic=[||ads.example^$domain=example.com]"},
        {{"||ads.example^$domain=example.com"},
         {"https://ads.example/x", "https://example.net/"},
         ""},
        {{"||ads.example^$domain=example.com"}, {"https://ads.example/x", "", kDoc}, ""},
        {{"/banner/*$domain=example.com"},
         {"https://example.com/banner/x", "", kDoc},
         "basic=[/banner/*$domain=example.com]"},
        {{"/banner/*$domain=example.com"}, {"https://example.com/banner/x", "", kImage}, ""},
        {{"/banner/*$domain=~example.com"}, {"https://x.org/banner/x", "https://example.com/"}, ""},
        {{"/banner/*$domain=~example.com"},
         {"https://x.org/banner/x", "https://example.org/"},
         "basic=[/banner/*$domain=~example.com]"},
        {{"/banner/*$domain=example.*"},
         {"https://x.org/banner/x", "https://www.example.co.uk/"},
         "basic=[/banner/*$domain=example.*]"},
        {{"/ads/*$denyallow=cdn.example"}, {"https://cdn.example/ads/x"}, ""},
        {{"/ads/*$denyallow=cdn.example"},
         {"https://other.example/ads/x"},
         "basic=[/ads/*$denyallow=cdn.example]"},
        {{"/ads/*$domain=com"},
         {"https://x.org/ads/1", "https://news.example.com/"},  // bare suffix
         "basic=[/ads/*$domain=com]"},
        {{"||x.org^$domain=example.com|example.net"},
         {"https://x.org/a", "https://example.net/"},
         "basic=[||x.org^$domain=example.com|example.net]"},
    });
}

TEST_F(Engine, ExceptionsBadfilterAndPageRules) {
    Check({
        {{"||example.com^", "@@||example.com^"},
         {"https://example.com/x"},
         "basic=[@@||example.com^ ||example.com^]"},
        {{"||example.com^$image", "||example.com^$image,badfilter"},
         {"https://example.com/x", "", kImage},
         "badfilter=[||example.com^$image,badfilter]"},
        {{"||x.org^$domain=a.com|b.com", "||x.org^$domain=a.com,badfilter"},
         {"https://x.org/1", "https://a.com/"},
         "badfilter=[||x.org^$domain=a.com,badfilter]"},
        {{"||x.org^$domain=a.com|b.com", "||x.org^$domain=a.com,badfilter"},
         {"https://x.org/1", "https://b.com/"},
         "basic=[||x.org^$domain=a.com|b.com]"},
        {{"@@||page.example^$urlblock", "||tracker.example^"},
         {"https://tracker.example/t.js", "https://page.example/"},
         "page=[@@||page.example^$urlblock]"},
        {{"@@||page.example^$document", "||tracker.example^"},
         {"https://tracker.example/t.js", "https://page.example/"},
         "page=[@@||page.example^$document]"},
        {{"@@||page.example^$genericblock", "||tracker.example^",
          "||tracker.example^$domain=page.example"},
         {"https://tracker.example/t.js", "https://page.example/"},
         "basic=[||tracker.example^$domain=page.example] page=[@@||page.example^$genericblock]"},
    });
}

TEST_F(Engine, AddingAndClearing) {
    AddRules({"||example.com^", "/banner/*", "||x.org^$domain=a.com", "||tiny^"});
    EXPECT_EQ(urlfilter_addrule(engine_, "||example.com^", 14, 0), URLFILTER_DUPLICATE);
    EXPECT_EQ(urlfilter_addrule(engine_, "example.com##.ad", 16, 0), 1);
    // A NUL would cut the stored text short when it is parsed again.
    EXPECT_EQ(urlfilter_addrule(engine_, "||ads.example^\0$badfilter", 25, 0), 1);
    EXPECT_EQ(urlfilter_rule_count(engine_), 4u);
    EXPECT_EQ(urlfilter_clearrule(engine_, "||never.added^"), 1);
    for (const char *text : {"||example.com^", "/banner/*", "||x.org^$domain=a.com", "||tiny^"}) {
        EXPECT_EQ(urlfilter_clearrule(engine_, text), 0) << text;
    }
    EXPECT_EQ(urlfilter_rule_count(engine_), 0u);
    EXPECT_EQ(Match({"https://example.com/banner/x"}), "");
    EXPECT_EQ(Match({"https://x.org/", "https://a.com/"}), "");
}

TEST_F(Engine, BrokenRuleRemovesItselfAndTheBucketGoesOn) {
    AddRules({"/ad(s/", "/ads/"});
    LogCapture capture;
    EXPECT_EQ(Match({"https://example.com/ads/x"}), "basic=[/ads/]");
    EXPECT_EQ(urlfilter_rule_count(engine_), 1u);
    EXPECT_TRUE(capture.contains("match_rule(): Delayed compilation of rule '/ad(s/' failed"));
}

TEST_F(Engine, MatchLimitKeepsTheRule) {
    AddRules({"/(a+)+$/"});
    LogCapture capture;
    std::string url = "https://example.com/" + std::string(40, 'a') + "!";
    EXPECT_EQ(Match({url}), "");
    EXPECT_EQ(Match({url}), "");
    EXPECT_EQ(urlfilter_rule_count(engine_), 1u);
    EXPECT_EQ(capture.messages(LOG_LEVEL_WARN).size(), 1u);  // once per rule
    EXPECT_EQ(Match({"https://example.com/aaa"}), "basic=[/(a+)+$/]");
}

TEST_F(Engine, MatchRuleText) {
    AddRules({"@@||page.example^$document", "||x.org^$badfilter"});
    std::string text = "||x.org^";
    urlfilter_request_t request{};
    std::string url = "https://x.org/", referrer = "https://page.example/";
    request.url = url.c_str();
    request.url_len = static_cast<uint32_t>(url.size());
    request.referrer = referrer.c_str();
    request.referrer_len = static_cast<uint32_t>(referrer.size());
    urlfilter_multirules_t result =
        urlfilter_match_rule_text(engine_, text.data(), text.size(), &request);
    EXPECT_EQ(multirules_text(result), "page=[@@||page.example^$document]");
    urlfilter_multirules_free(&result);

    request.referrer_len = 0;
    result = urlfilter_match_rule_text(engine_, text.data(), text.size(), &request);
    EXPECT_EQ(multirules_text(result), "badfilter=[||x.org^$badfilter]");
    urlfilter_multirules_free(&result);
}

}  // namespace
