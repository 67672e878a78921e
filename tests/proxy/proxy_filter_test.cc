#include "core/proxy/proxy_filter.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "core/proxy/filter_content.h"
#include "core/proxy/filter_kinds.h"
#include "core/proxy/filter_url.h"
#include "core/proxy/proxy_filter_factory.h"
#include "core/proxy/tls/ssl_domain_filter.h"
#include "tests/support/log_capture.h"

namespace {

// Facade messages at WARN and ERROR (the engine's own parse warnings come
// from other loggers).
std::vector<std::string> facade_warnings(const LogCapture &log) {
    std::vector<std::string> out;
    for (const CapturedLine &line : log.lines()) {
        if (line.logger == "OvProxyFilter" && line.level <= LOG_LEVEL_WARN) {
            out.push_back(line.message);
        }
    }
    return out;
}

class ProxyFilterTest : public testing::Test {
  protected:
    ProxyFilterTest() : facade(ov_make_proxy_filter({})) {}

    int Add(const std::string &rule) { return facade->addRule(rule.data(), rule.size(), 0); }
    OvFilterUrl &Url() {
        return *static_cast<OvFilterUrl *>(facade->getFilter(typeid(OvFilterUrl)));
    }
    std::string Source(const std::string &converted) {
        std::string source;
        return facade->convertedFrom(converted, &source) ? source : "<none>";
    }

    std::shared_ptr<OvProxyFilter> facade;
};

TEST_F(ProxyFilterTest, RulesAsWritten) {
    struct Row {
        const char *rule;
        int result;
        size_t rules_after;
        std::vector<std::string> warnings;
    } rows[] = {
        {"! a comment", OV_PROXY_RULE_ADDED, 0, {}},
        {"# a comment too", OV_PROXY_RULE_ADDED, 0, {}},
        // Only "# " starts a comment: this is a URL pattern.
        {"#not-a-comment", OV_PROXY_RULE_ADDED, 1, {}},
        {"||ads.example^", OV_PROXY_RULE_ADDED, 2, {}},
        {"||ads.example^", OV_PROXY_RULE_ADDED, 2, {}},
        {"||bad.example^$no-such-option",
         OV_PROXY_RULE_REJECTED,
         2,
         {"Rule rejected by all filters: ||bad.example^$no-such-option"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rule);
        LogCapture log;
        EXPECT_EQ(Add(row.rule), row.result);
        EXPECT_EQ(Url().ruleCount(), row.rules_after);
        EXPECT_EQ(facade_warnings(log), row.warnings);
    }
    EXPECT_EQ(Source("||ads.example^"), "<none>");
}

TEST_F(ProxyFilterTest, ForeignRuleIsConvertedAndRemembered) {
    const std::string foreign = "||ads.example^$empty";
    const std::string converted = "||ads.example^$redirect=nooptext";
    LogCapture log(LOG_LEVEL_DEBUG);
    EXPECT_EQ(Add(foreign), OV_PROXY_RULE_ADDED);
    EXPECT_TRUE(log.contains("addRule: rule was converted from '" + foreign + "' to (num=1):\n" +
                             converted));
    EXPECT_EQ(Url().ruleCount(), 1u);
    EXPECT_EQ(Source(converted), foreign);
    // The same conversion from another source text: the record follows.
    EXPECT_EQ(Add("||ads.example^$empty=1"), OV_PROXY_RULE_ADDED);
    EXPECT_EQ(Source(converted), "||ads.example^$empty=1");
    log.clear();
    EXPECT_EQ(facade->clearRule(foreign), 0);
    EXPECT_EQ(Url().ruleCount(), 0u);
    EXPECT_EQ(Source(converted), "<none>");
    EXPECT_TRUE(log.contains("clearRule: rule was converted from '" + foreign + "' to: (num=1)"));
    EXPECT_TRUE(log.contains(converted));
}

TEST_F(ProxyFilterTest, ClearingUnknownRulesIsHarmless) {
    ASSERT_EQ(Add("||ads.example^"), OV_PROXY_RULE_ADDED);
    LogCapture log;
    for (const char *rule : {"https://*$media", "https://*$media", "@@||localhost^",
                             "example.org##+js(no-such)", "||ads.example^"}) {
        SCOPED_TRACE(rule);
        EXPECT_EQ(facade->clearRule(rule), 0);
    }
    EXPECT_EQ(Url().ruleCount(), 0u);
    EXPECT_EQ(facade_warnings(log), std::vector<std::string>{});
}

// A filter that answers from a script and records what it was asked.
class ScriptedFilter final : public OvFilter {
  public:
    explicit ScriptedFilter(std::map<std::string, int> script) : answers(std::move(script)) {}
    const char *name() const override { return "ScriptedFilter"; }
    int addRule(const char *rule, size_t length, int) override {
        return answer("add " + std::string(rule, length));
    }
    int clearRule(std::string rule) override { return answer("clear " + rule); }

    std::vector<std::string> asked;

  private:
    int answer(const std::string &call) {
        asked.push_back(call);
        auto found = answers.find(call);
        return found == answers.end() ? OV_FILTER_NOT_MINE : found->second;
    }
    std::map<std::string, int> answers;
};

const std::string kAll = "||ads.example^$all";
const std::string kScriptCsp =
    "||ads.example^$csp=script-src 'self' 'unsafe-eval' http: https: data: blob: mediastream: "
    "filesystem:";
const std::string kFontCsp =
    "||ads.example^$csp=font-src 'self' 'unsafe-eval' http: https: data: blob: mediastream: "
    "filesystem:";

TEST(ProxyFilter, ConversionsStopAtTheFirstOneNotTaken) {
    struct Row {
        const char *name;
        int second;  // the filter's answer for the second conversion
        int result;
        std::string warning;
    } rows[] = {
        {"rejected", OV_FILTER_NOT_MINE, OV_PROXY_RULE_REJECTED,
         "Rule rejected by all filters: " + kAll},
        {"filter failure", -1, OV_PROXY_RULE_FAILED, "Rule isn't added: " + kAll},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        OvProxyFilter facade;
        auto filter = std::make_unique<ScriptedFilter>(std::map<std::string, int>{
            {"add " + kScriptCsp, OV_FILTER_DONE}, {"add " + kFontCsp, row.second}});
        ScriptedFilter *scripted = filter.get();
        facade.getRegistry().add(typeid(OvFilterNetwork), std::move(filter));
        LogCapture log;
        EXPECT_EQ(facade.addRule(kAll.data(), kAll.size(), 0), row.result);
        EXPECT_EQ(scripted->asked, (std::vector<std::string>{"add " + kAll, "add " + kScriptCsp,
                                                             "add " + kFontCsp}));
        EXPECT_EQ(
            facade_warnings(log),
            (std::vector<std::string>{"Converted rule was rejected: " + kFontCsp, row.warning}));
        std::string source;
        EXPECT_TRUE(facade.convertedFrom(kScriptCsp, &source));
        EXPECT_EQ(source, kAll);
        EXPECT_FALSE(facade.convertedFrom(kFontCsp, &source));
    }
}

TEST(ProxyFilter, CommentsReachNoFilter) {
    OvProxyFilter facade;
    auto filter = std::make_unique<ScriptedFilter>(std::map<std::string, int>{});
    ScriptedFilter *scripted = filter.get();
    facade.getRegistry().add(typeid(OvFilterContent), std::move(filter));
    for (const std::string rule : {"! comment", "# comment", "!", "#x"}) {
        facade.addRule(rule.data(), rule.size(), 0);
    }
    EXPECT_EQ(scripted->asked, std::vector<std::string>{"add #x"});
}

// Clearing a foreign rule removes the record of every conversion, even
// when a filter fails on one of them.
TEST(ProxyFilter, ClearingAForeignRuleForgetsAllItsConversions) {
    OvProxyFilter facade;
    auto filter = std::make_unique<ScriptedFilter>(
        std::map<std::string, int>{{"add " + kScriptCsp, OV_FILTER_DONE},
                                   {"add " + kFontCsp, OV_FILTER_DONE},
                                   {"add ||ads.example^$document,popup", OV_FILTER_DONE},
                                   {"add ||ads.example^", OV_FILTER_DONE},
                                   {"clear " + kScriptCsp, OV_FILTER_DONE},
                                   {"clear " + kFontCsp, -1},
                                   {"clear ||ads.example^$document,popup", OV_FILTER_DONE},
                                   {"clear ||ads.example^", OV_FILTER_DONE}});
    facade.getRegistry().add(typeid(OvFilterNetwork), std::move(filter));
    ASSERT_EQ(facade.addRule(kAll.data(), kAll.size(), 0), OV_PROXY_RULE_ADDED);
    LogCapture log;
    EXPECT_EQ(facade.clearRule(kAll), 0);
    std::string source;
    for (const std::string &converted :
         {kScriptCsp, kFontCsp, std::string("||ads.example^$document,popup"),
          std::string("||ads.example^")}) {
        EXPECT_FALSE(facade.convertedFrom(converted, &source)) << converted;
    }
    EXPECT_EQ(facade_warnings(log), std::vector<std::string>{});
}

TEST(ProxyFilter, WithoutFilters) {
    OvProxyFilter facade;
    LogCapture log;
    const std::string convertible = "example.org##+js(foo)";
    EXPECT_EQ(facade.addRule(convertible.data(), convertible.size(), 0), OV_PROXY_RULE_REJECTED);
    const std::string plain = "||ads.example^";
    EXPECT_EQ(facade.addRule(plain.data(), plain.size(), 0), OV_PROXY_RULE_REJECTED);
    EXPECT_EQ(facade.clearRule(convertible), 0);
    EXPECT_EQ(facade_warnings(log),
              (std::vector<std::string>{
                  "Converted rule was rejected: example.org#%#//scriptlet('ubo-foo')",
                  "Rule rejected by all filters: example.org##+js(foo)",
                  "Rule rejected by all filters: ||ads.example^"}));
    EXPECT_EQ(facade.getFilter(typeid(OvFilterUrl)), nullptr);
}

TEST_F(ProxyFilterTest, FiltersByType) {
    EXPECT_NE(facade->getFilter(typeid(OvFilterUrl)), nullptr);
    EXPECT_EQ(facade->getFilter(typeid(OvFilterHtml)), nullptr);
    EXPECT_EQ(facade->getFilter(typeid(OvFilter)), nullptr);
    facade->shutdown();
    EXPECT_EQ(facade->getFilter(typeid(OvFilterUrl)), nullptr);
    facade->shutdown();
}

TEST(ProxyFilterFactory, EvHostsSurviveARestart) {
    char dir[] = "/tmp/ovcore-facade-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    {
        auto facade = ov_make_proxy_filter({dir});
        facade->getSslDomainFilter().addEvHost("bank.example");
    }
    {
        auto facade = ov_make_proxy_filter({dir});
        EXPECT_TRUE(facade->getSslDomainFilter().isEvHost("bank.example"));
        EXPECT_FALSE(facade->getSslDomainFilter().isEvHost("other.example"));
    }
    unlink((std::string(dir) + "/" + OV_PROXY_DATABASE_NAME).c_str());
    rmdir(dir);
}

}  // namespace
