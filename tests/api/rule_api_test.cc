// The exported rule functions, driven as a host drives them: through a
// facade handle, with C strings, reading results and malloc'ed rule texts.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <memory>
#include <new>
#include <string>
#include <typeinfo>
#include <vector>

#include "core/proxy/filter_url.h"
#include "core/proxy/proxy_filter.h"
#include "core/proxy/proxy_filter_factory.h"
#include "core/proxy/rule_api.h"
#include "ovcore/ovcore.h"
#include "tests/support/log_capture.h"

namespace {

// Stands in for the URL filter: records what the facade offers and answers
// with a fixed status, or throws.
class ScriptedFilter final : public OvFilter {
  public:
    const char *name() const override { return "ScriptedFilter"; }
    int addRule(const char *rule, size_t length, int) override {
        return answer(std::string(rule, length));
    }
    int clearRule(std::string rule) override { return answer(rule); }

    int status = OV_FILTER_DONE;
    bool throws = false;
    std::vector<std::string> offered;

  private:
    int answer(std::string rule) {
        if (throws) {
            throw std::bad_alloc();
        }
        offered.push_back(std::move(rule));
        return status;
    }
};

struct Verdict {
    int result;
    std::string rule;  // "<none>" when no text came back
    bool operator==(const Verdict &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Verdict &verdict) {
    return out << verdict.result << " " << verdict.rule;
}

std::string take(char *text) {
    std::string out = text ? text : "<none>";
    free(text);
    return out;
}

class RuleApiTest : public testing::Test {
  protected:
    RuleApiTest() : facade(ov_make_proxy_filter({})) {}

    void *Handle() { return &facade; }
    Verdict IsFiltered(const char *url, const char *app = nullptr) {
        char *rule = nullptr;
        int result = OvCApiPFIsFiltered(Handle(), url, app, &rule);
        return {result, take(rule)};
    }
    Verdict ChangeState(const char *domain, bool enable, std::string *error = nullptr) {
        const char *message = nullptr;
        char *rule = nullptr;
        int result = OvCApiPFChangeFilteringState(Handle(), domain, enable, &message, &rule);
        if (error != nullptr) {
            *error = message ? message : "<none>";
        }
        return {result, take(rule)};
    }
    size_t RuleCount() {
        return static_cast<OvFilterUrl *>(facade->getFilter(typeid(OvFilterUrl)))->ruleCount();
    }
    std::vector<std::string> ApiLines(const LogCapture &log) {
        std::vector<std::string> out;
        for (const CapturedLine &line : log.lines()) {
            if (line.logger == "OvBrowserApi") {
                out.push_back(std::to_string(line.level) + " " + line.message);
            }
        }
        return out;
    }

    std::shared_ptr<OvProxyFilter> facade;
};

// A facade whose only rule filter is a scripted one, registered in the URL
// filter's place.
struct ScriptedFacade {
    ScriptedFacade() : facade(std::make_shared<OvProxyFilter>()) {
        auto owned = std::make_unique<ScriptedFilter>();
        filter = owned.get();
        facade->getRegistry().add(typeid(OvFilterUrl), std::move(owned));
    }
    void *Handle() { return &facade; }

    std::shared_ptr<OvProxyFilter> facade;
    ScriptedFilter *filter;
};

TEST(RuleApiAddTest, ContentInjectingRulesAreRefusedOthersReachTheFacade) {
    struct Row {
        const char *rule;
        int filterStatus;
        int result;
        bool offered;
    } rows[] = {
        {"example.org##.ad", OV_FILTER_DONE, 0, true},
        {"||ads.example^", OV_FILTER_DONE, 0, true},
        {"a<b{c", OV_FILTER_DONE, 0, true},  // no "##": not a cosmetic rule
        {"$", OV_FILTER_DONE, 0, true},      // too short for any marker
        {"example.org##.ad { color: red }", OV_FILTER_DONE, 4, false},
        {"example.org##div[title='<b>']", OV_FILTER_DONE, 4, false},
        {"example.org#%#alert(1)", OV_FILTER_DONE, 4, false},
        {"example.org#@%#alert(1)", OV_FILTER_DONE, 4, false},
        {"example.org#$#body { color: red }", OV_FILTER_DONE, 4, false},
        {"example.org#@$#.ad { color: red }", OV_FILTER_DONE, 4, false},
        {"example.org$$script[data-ad]", OV_FILTER_DONE, 4, false},
        {"example.org$@$script[data-ad]", OV_FILTER_DONE, 4, false},
        {"||nobody.example^", OV_FILTER_NOT_MINE, 1, true},
        {"||broken.example^", -1, 3, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rule);
        ScriptedFacade scripted;
        scripted.filter->status = row.filterStatus;
        EXPECT_EQ(OvCApiPFAddRule(scripted.Handle(), row.rule), row.result);
        ASSERT_EQ(!scripted.filter->offered.empty(), row.offered);
        if (row.offered) {
            EXPECT_EQ(scripted.filter->offered.front(), row.rule);
        }
    }
}

TEST(RuleApiClearTest, ResultsAreCappedAtThree) {
    struct Row {
        int filterStatus;
        int result;
    } rows[] = {{OV_FILTER_DONE, 0}, {OV_FILTER_NOT_MINE, 0}, {-1, 3}};
    LogCapture log(LOG_LEVEL_ERROR);  // the facade reports the failure itself
    for (const Row &row : rows) {
        SCOPED_TRACE(row.filterStatus);
        ScriptedFacade scripted;
        scripted.filter->status = row.filterStatus;
        EXPECT_EQ(OvCApiPFClearRule(scripted.Handle(), "||ads.example^"), row.result);
        EXPECT_EQ(scripted.filter->offered.front(), "||ads.example^");
    }
}

TEST_F(RuleApiTest, SuccessfulChangesStoreTheChangeTime) {
    int64_t earlier = ov_rule_change_time();
    EXPECT_EQ(OvCApiPFAddRule(Handle(), "example.org#%#alert(1)"), 4);
    EXPECT_EQ(ov_rule_change_time(), earlier);
    auto now = std::chrono::system_clock::now().time_since_epoch();
    int64_t before = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    EXPECT_EQ(OvCApiPFAddRule(Handle(), "||ads.example^"), 0);
    EXPECT_GE(ov_rule_change_time(), before);
}

TEST_F(RuleApiTest, SwitchingASiteOffAndOnAgain) {
    LogCapture log(LOG_LEVEL_DEBUG);
    const std::string site = "@@||example.org^$important,document";
    std::string error;
    EXPECT_EQ(ChangeState("", false, &error), (Verdict{-1, "<none>"}));
    EXPECT_EQ(error, "Invalid domain");
    EXPECT_EQ(ChangeState(nullptr, true, &error), (Verdict{-1, "<none>"}));
    EXPECT_EQ(error, "Invalid domain");

    EXPECT_EQ(ChangeState("example.org", false, &error), (Verdict{0, site}));
    EXPECT_EQ(error, "<none>");
    EXPECT_EQ(IsFiltered("https://example.org/news/today.html?id=1"), (Verdict{2, site}));
    EXPECT_EQ(IsFiltered("https://example.org:8443/"), (Verdict{2, site}));
    EXPECT_EQ(IsFiltered("https://other.example/"), (Verdict{0, "<none>"}));

    EXPECT_EQ(ChangeState("example.org", true, &error), (Verdict{0, site}));
    EXPECT_EQ(RuleCount(), 0u);
    EXPECT_EQ(IsFiltered("https://example.org/news/today.html"), (Verdict{0, "<none>"}));
    EXPECT_EQ(ChangeState("example.org", true, &error), (Verdict{-1, "<none>"}));
    EXPECT_EQ(error, "Can't remove a rule");

    EXPECT_EQ(ApiLines(log), (std::vector<std::string>{
                                 "3 addRule(@@||example.org^$important,document)",
                                 "3 clearRule(@@||example.org^$important,document)",
                                 "0 clearRule(@@||example.org^$important,document) failed: 2",
                             }));
}

TEST_F(RuleApiTest, VerdictsForUrls) {
    for (const char *rule : {"@@||example.net^$important,document", "||ads.example^",
                             "@@||listed.example^$important,document,badfilter"}) {
        ASSERT_EQ(OvCApiPFAddRule(Handle(), rule), 0) << rule;
    }
    struct Row {
        const char *url;
        Verdict verdict;
    } rows[] = {
        {nullptr, {4, "<none>"}},
        {"", {4, "<none>"}},
        {"example.org/a/b", {4, "<none>"}},  // no scheme
        {"about:blank", {4, "<none>"}},      // no host
        {"file:///etc/hosts", {4, "<none>"}},
        {"http://plain.example/a/b.html", {0, "<none>"}},
        {"http://ads.example/", {0, "<none>"}},  // blocking rules do not count
        // The user's own rule for the site counts as the site switch; any
        // other important document exception does not.
        {"http://example.net/a/b.html", {2, "@@||example.net^$important,document"}},
        {"http://www.example.net/a/b.html", {3, "@@||example.net^$important,document"}},
        {"http://listed.example/", {1, "@@||listed.example^$important,document,badfilter"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.url ? row.url : "(null)");
        EXPECT_EQ(IsFiltered(row.url), row.verdict);
    }
    EXPECT_EQ(OvCApiPFIsFiltered(Handle(), "http://www.example.net/", "browser.exe", nullptr), 3);
}

// No exception may reach a C caller: each function answers its failure code
// instead (3 for add and clear, -1 with a message for the state change, 4
// for the verdict, which has no failure code of its own).
TEST(RuleApiBoundaryTest, ExceptionsBecomeFailureCodes) {
    ScriptedFacade scripted;
    scripted.filter->throws = true;
    LogCapture log(LOG_LEVEL_ERROR);
    EXPECT_EQ(OvCApiPFAddRule(scripted.Handle(), "||ads.example^"), 3);
    EXPECT_EQ(OvCApiPFClearRule(scripted.Handle(), "||ads.example^"), 3);
    const char *error = nullptr;
    EXPECT_EQ(
        OvCApiPFChangeFilteringState(scripted.Handle(), "example.org", false, &error, nullptr), -1);
    EXPECT_STREQ(error, "Can't add a rule");
    EXPECT_EQ(OvCApiPFChangeFilteringState(scripted.Handle(), "example.org", true, &error, nullptr),
              -1);
    EXPECT_STREQ(error, "Can't remove a rule");
    EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                  "OvCApiPFAddRule(): std::bad_alloc",
                                  "OvCApiPFClearRule(): std::bad_alloc",
                                  "OvCApiPFChangeFilteringState(): std::bad_alloc",
                                  "OvCApiPFChangeFilteringState(): std::bad_alloc",
                              }));
}

TEST(RuleApiBoundaryTest, MissingHandleOrTexts) {
    std::shared_ptr<OvProxyFilter> none;
    const char *error = nullptr;
    for (void *handle : {static_cast<void *>(nullptr), static_cast<void *>(&none)}) {
        SCOPED_TRACE(handle ? "empty handle" : "null handle");
        EXPECT_EQ(OvCApiPFAddRule(handle, "||ads.example^"), 3);
        EXPECT_EQ(OvCApiPFClearRule(handle, "||ads.example^"), 3);
        EXPECT_EQ(OvCApiPFIsFiltered(handle, "http://example.org/", nullptr, nullptr), 4);
        EXPECT_EQ(OvCApiPFChangeFilteringState(handle, "example.org", false, &error, nullptr), -1);
        EXPECT_STREQ(error, "Can't add a rule");
    }
    ScriptedFacade scripted;
    EXPECT_EQ(OvCApiPFAddRule(scripted.Handle(), nullptr), 3);
    EXPECT_EQ(OvCApiPFClearRule(scripted.Handle(), nullptr), 3);
    EXPECT_TRUE(scripted.filter->offered.empty());
}

TEST(RuleApiHandleTest, HandleSharesTheProcessFacade) {
    void *handle = ovcore_proxy_filter_new();
    ASSERT_NE(handle, nullptr);
    // The first word behind the handle is the facade.
    EXPECT_EQ(*static_cast<OvProxyFilter **>(handle), ov_process_proxy_filter().get());
    EXPECT_NE(ov_process_proxy_filter()->getFilter(typeid(OvFilterUrl)), nullptr);
    ovcore_proxy_filter_release(handle);
}

}  // namespace
