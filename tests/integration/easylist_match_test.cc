// The engine on the real EasyList and EasyPrivacy, with requests whose
// outcome follows from the lists' own rules.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/urlfilter.h"

namespace {

const std::string kListDir =
    "/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist/";

class RealListEngine : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        log_ = new LogHandle("easylist", LOG_LEVEL_ERROR);
        engine_ = urlfilter_new(log_->get(), URLFILTER_DEFAULT_CACHE_CAPACITY);
        for (const char *name : {"easylist.txt", "easyprivacy.txt"}) {
            std::ifstream in(kListDir + name);
            ASSERT_TRUE(in) << name << " is missing: scripts/install-deps.sh installs it";
            for (std::string line; std::getline(in, line);) {
                urlfilter_addrule(engine_, line.data(), line.size(), 0);
            }
        }
    }
    static void TearDownTestSuite() {
        urlfilter_free(engine_);
        delete log_;
    }

    // "block <rule>", "allow <rule>" or "none".
    static std::string Decide(const std::string &url, const std::string &referrer, uint32_t type) {
        urlfilter_request_t request{};
        request.url = url.c_str();
        request.url_len = static_cast<uint32_t>(url.size());
        request.referrer = referrer.c_str();
        request.referrer_len = static_cast<uint32_t>(referrer.size());
        request.request_type = type;
        urlfilter_multirules_t result = urlfilter_matchurl(engine_, &request);
        const urlfilter_rule_list_t &basic = result.lists[URLFILTER_LIST_BASIC];
        std::string decision = "none";
        if (basic.count > 0) {
            const urlfilter_item_t &first = basic.items[0];
            decision = std::string(first.kind == URLFILTER_ITEM_BLOCKING ? "block " : "allow ") +
                       std::string(first.rule->text, first.rule->text_len);
        }
        urlfilter_multirules_free(&result);
        return decision;
    }

    static LogHandle *log_;
    static urlfilter_s *engine_;
};

LogHandle *RealListEngine::log_ = nullptr;
urlfilter_s *RealListEngine::engine_ = nullptr;

TEST_F(RealListEngine, DecisionsFollowTheListsRules) {
    struct {
        const char *url;
        const char *referrer;
        uint32_t type;
        const char *decision;
    } rows[] = {
        // A third-party analytics script: EasyPrivacy blocks the host for scripts.
        {"https://www.google-analytics.com/analytics.js", "https://www.example.com/",
         CONTENT_SCRIPT, "block ||google-analytics.com^$script,third-party,xmlhttprequest"},
        {"https://pagead2.googlesyndication.com/pagead/js/adsbygoogle.js",
         "https://news.example.org/", CONTENT_SCRIPT, "block ||pagead2.googlesyndication.com^"},
        // A generic blocking rule and the site's own first-party exception.
        {"https://other.example/assets/js/prebid.min.js", "https://abcnews.com/", CONTENT_SCRIPT,
         "block /prebid.$script,domain=~prebid.org"},
        {"https://abcnews.com/assets/js/prebid.min.js", "https://abcnews.com/", CONTENT_SCRIPT,
         "allow @@||abcnews.com/assets/js/prebid.min.js$~third-party"},
        // The exception is first-party only: from another site the block stands.
        {"https://abcnews.com/assets/js/prebid.min.js", "https://elsewhere.example/",
         CONTENT_SCRIPT, "block /prebid.$script,domain=~prebid.org"},
        // The generic rule does not apply on prebid.org itself.
        {"https://cdn.example/prebid.js", "https://docs.prebid.org/", CONTENT_SCRIPT, "none"},
        // An ordinary page and an ordinary image.
        {"https://www.example.com/index.html", "", CONTENT_DOCUMENT, "none"},
        {"https://www.debian.org/Pics/openlogo-50.png", "https://www.debian.org/", CONTENT_IMAGE,
         "none"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.url) + " from " + row.referrer);
        EXPECT_EQ(Decide(row.url, row.referrer, row.type), row.decision);
    }
}

}  // namespace
