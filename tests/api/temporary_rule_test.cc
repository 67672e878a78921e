#include "core/proxy/temporary_rule.h"

#include <event2/event.h>
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "core/proxy/filter_url.h"
#include "core/proxy/net/event_loop.h"
#include "core/proxy/proxy_filter_factory.h"
#include "core/proxy/rule_api.h"
#include "tests/support/log_capture.h"

namespace {

class TemporaryRuleTest : public testing::Test {
  protected:
    TemporaryRuleTest() : facade(ov_make_proxy_filter({})) { loop.start(); }
    ~TemporaryRuleTest() override { loop.stop(); }

    static std::shared_ptr<OvProxyFilter> Provide(void *arg) {
        return *static_cast<std::shared_ptr<OvProxyFilter> *>(arg);
    }
    int Add(const std::string &rule, uint64_t lifetime, const char **error) {
        OvProxyFilterProvider provider{Provide, &facade};
        return addTemporaryRule(provider, loop, "[req 7] ", rule.data(), rule.size(), lifetime,
                                error);
    }
    size_t RuleCount() {
        return static_cast<OvFilterUrl *>(facade->getFilter(typeid(OvFilterUrl)))->ruleCount();
    }
    // Lets the loop run for `seconds` (and a millisecond, so that a timer set
    // just before for the same time fires first), then waits for it.
    void RunLoopFor(time_t seconds) {
        std::promise<void> done;
        timeval timeout{seconds, 1000};
        auto fire = [](evutil_socket_t, short, void *arg) {
            static_cast<std::promise<void> *>(arg)->set_value();
        };
        ASSERT_EQ(event_base_once(loop.eventBase(), -1, EV_TIMEOUT, fire, &done, &timeout), 0);
        done.get_future().wait();
    }

    std::shared_ptr<OvProxyFilter> facade;
    OvEventLoop loop;
};

TEST_F(TemporaryRuleTest, RefusedRules) {
    LogCapture log(LOG_LEVEL_DEBUG);
    struct Row {
        const char *rule;
        uint64_t lifetime;
        const char *error;
        std::vector<std::string> messages;
    } rows[] = {
        {"||ads.example^", 0, "Invalid timeout", {}},
        {"example.org##.ad", 5, "Can't add a rule", {"[req 7] addRule(): 2"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rule);
        log.clear();
        const char *error = nullptr;
        EXPECT_EQ(Add(row.rule, row.lifetime, &error), -1);
        EXPECT_STREQ(error, row.error);
        EXPECT_EQ(log.messages(LOG_LEVEL_ERROR), row.messages);
        EXPECT_EQ(RuleCount(), 0u);
    }
}

TEST_F(TemporaryRuleTest, RuleIsGoneAfterItsLifetime) {
    LogCapture log(LOG_LEVEL_DEBUG);
    int64_t changed = ov_rule_change_time();
    const char *error = nullptr;
    ASSERT_EQ(Add("||tmp.example^", 2, &error), 0);
    EXPECT_EQ(RuleCount(), 1u);
    RunLoopFor(2);
    EXPECT_EQ(RuleCount(), 0u);
    EXPECT_EQ(ov_rule_change_time(), changed);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                  "[req 7] addRule(||tmp.example^)",
                                  "[req 7] rule '||tmp.example^' expires after 2s",
                                  "clearRule(||tmp.example^)",
                              }));
}

TEST_F(TemporaryRuleTest, RuleRemovedMeanwhileIsReportedAtExpiry) {
    LogCapture log(LOG_LEVEL_DEBUG);
    const char *error = nullptr;
    ASSERT_EQ(Add("||tmp.example^", 1, &error), 0);
    ASSERT_EQ(facade->clearRule("||tmp.example^"), 0);
    RunLoopFor(1);
    EXPECT_EQ(log.messages(LOG_LEVEL_ERROR),
              (std::vector<std::string>{"clearRule(||tmp.example^) failed: 2"}));
}

// A rule whose loop goes before it expires leaves no expiry record behind
// (the leak checker would see it); the rule itself stays.
TEST_F(TemporaryRuleTest, LoopGoingFirstFreesTheExpiry) {
    OvProxyFilterProvider provider{Provide, &facade};
    const char *error = nullptr;
    {
        OvEventLoop brief;
        brief.start();
        std::string rule = "||brief.example^";
        ASSERT_EQ(addTemporaryRule(provider, brief, "", rule.data(), rule.size(), 3600, &error), 0);
    }
    EXPECT_EQ(RuleCount(), 1u);
}

}  // namespace
