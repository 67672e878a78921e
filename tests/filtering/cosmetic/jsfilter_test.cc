#include "core/filtering/cosmetic/jsfilter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/commons/logger.h"
#include "tests/support/log_capture.h"

namespace {

class JsFilterTest : public testing::Test {
  protected:
    JsFilterTest() : log_("jsfilter_test", -1), filter_(jsfilter_create(log_.get())) {}
    ~JsFilterTest() override { jsfilter_free(filter_); }

    void Add(const std::string &rule) {
        ASSERT_EQ(jsfilter_add_rule(filter_, rule.data(), rule.size()), JSFILTER_DONE) << rule;
    }
    std::string Build(const char *domain, bool generic = true) {
        js_buffer_t out = jsfilter_buildjs(filter_, domain, generic, nullptr, 0, nullptr);
        std::string text = out.data ? std::string(out.data, out.length) : "<none>";
        js_buffer_release(&out);
        return text;
    }
    // The call a scriptlet rule renders into, without the scriptlet's code.
    static std::string Call(const std::string &rendered) {
        size_t start = rendered.find(")({name:");
        return start == std::string::npos ? rendered : rendered.substr(start + 1);
    }

    LogHandle log_;
    jsfilter_s *filter_;
};

TEST_F(JsFilterTest, PlainScriptsInRuleOrder) {
    Add("example.org#%#a();");
    Add("example.org#%#b()");
    EXPECT_EQ(Build("example.org"), "a();\nb();\n");
    EXPECT_EQ(Build("other.org"), "<none>");
}

TEST_F(JsFilterTest, ScriptletCalls) {
    const std::string head = "({name:\"";
    const std::string tail = "\",engine:\"quillon\",version:\"1.10.4\",verbose:false},[";
    struct Row {
        const char *rule;
        std::string call;
    } rows[] = {
        {"example.org#%#//scriptlet('set-constant', 'ads', 'false')",
         head + "set-constant" + tail + "\"ads\",\"false\",]);\n"},
        // The name as the rule wrote it, alias or canonical.
        {"example.org#%#//scriptlet('aopr.js', 'a\"b')",
         head + "aopr.js" + tail + "\"a\\\"b\",]);\n"},
        {"example.org#%#//scriptlet('no-topics')", head + "no-topics" + tail + "]);\n"},
    };
    logger_set_default_log_level(LOG_LEVEL_INFO);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rule);
        jsfilter_s *fresh = jsfilter_create(log_.get());
        std::string text = row.rule;
        ASSERT_EQ(jsfilter_add_rule(fresh, text.data(), text.size()), JSFILTER_DONE);
        js_buffer_t out = jsfilter_buildjs(fresh, "example.org", true, nullptr, 0, nullptr);
        ASSERT_NE(out.data, nullptr);
        std::string rendered(out.data, out.length);
        EXPECT_EQ(rendered.rfind("(function ", 0), 0u) << rendered.substr(0, 40);
        EXPECT_EQ(Call(rendered), row.call);
        js_buffer_release(&out);
        jsfilter_free(fresh);
    }
    logger_set_default_log_level(-1);
}

TEST_F(JsFilterTest, VerboseCallsCarryTheRuleText) {
    Add("example.org#%#//scriptlet('log', 'x')");
    logger_set_default_log_level(LOG_LEVEL_DEBUG);
    // The JSON writer escapes "/" as "\/", which JSON allows.
    EXPECT_EQ(Call(Build("example.org")),
              "({name:\"log\",engine:\"quillon\",version:\"1.10.4\",verbose:true,"
              "ruleText:\"example.org#%#\\/\\/scriptlet('log', 'x')\"},[\"x\",]);\n");
    logger_set_default_log_level(-1);
}

TEST_F(JsFilterTest, UnknownScriptletIsReportedAndRemoved) {
    Add("example.org#%#//scriptlet('no-such-scriptlet', 'x')");
    Add("example.org#%#ok();");
    LogCapture capture;
    EXPECT_EQ(Build("example.org"), "<none>");
    EXPECT_TRUE(
        capture.contains("jsfilter_buildjs(): Couldn't add matching rule to result "
                         "(example.org#%#//scriptlet('no-such-scriptlet', 'x'))"));
    EXPECT_EQ(Build("example.org"), "ok();\n");
}

TEST_F(JsFilterTest, Exceptions) {
    const std::string call = "//scriptlet('set-constant', 'a', '1')";
    Add("example.org,example.com#%#" + call);
    Add("example.net#%#" + call);
    Add("example.org#@%#" + call);
    EXPECT_EQ(Build("example.org"), "<none>");
    EXPECT_NE(Build("example.com"), "<none>");
    Add("#@%#" + call);
    EXPECT_EQ(Build("example.com"), "<none>");
    EXPECT_EQ(Build("example.net"), "<none>");
    std::string domainless = "#@%#" + call;
    ASSERT_EQ(jsfilter_remove_rule(filter_, domainless.data(), domainless.size()), JSFILTER_DONE);
    std::string folded = "example.org#@%#" + call;
    ASSERT_EQ(jsfilter_remove_rule(filter_, folded.data(), folded.size()), JSFILTER_DONE);
    EXPECT_NE(Build("example.org"), "<none>");
}

}  // namespace

namespace {

// Builds look only at the rules the index offers for the host, unless TRACE
// asks for every rule to be named: both walks give the same script.
TEST_F(JsFilterTest, IndexedBuildsEqualTheFullWalk) {
    for (const char *rule : {
             "#%#everywhere();",
             "example.org#%#org();",
             "sub.example.org#%#sub();",
             "example.*#%#anyTld();",
             "~example.org#%#notOrg();",
             "example.org,~sub.example.org#%#orgNotSub();",
             "sub.example.org#@%#org();",
             "127.0.0.1#%#loopback();",
         }) {
        Add(rule);
    }
    for (const char *host :
         {"example.org", "sub.example.org", "a.sub.example.org:8080", "example.org.",
          "example.co.uk", "other.org", "127.0.0.1", "", "org"}) {
        for (bool generic : {true, false}) {
            SCOPED_TRACE(std::string(host) + (generic ? " with generic" : ""));
            std::string indexed;
            {
                LogCapture quiet(LOG_LEVEL_INFO);
                indexed = Build(host, generic);
            }
            LogCapture trace(LOG_LEVEL_TRACE);
            EXPECT_EQ(indexed, Build(host, generic));
        }
    }
    LogCapture quiet(LOG_LEVEL_INFO);
    EXPECT_EQ(Build("sub.example.org"), "everywhere();\nsub();\nanyTld();\n");
    ASSERT_EQ(jsfilter_remove_rule(filter_, "sub.example.org#%#sub();", 24), JSFILTER_DONE);
    EXPECT_EQ(Build("sub.example.org"), "everywhere();\nanyTld();\n");
}

}  // namespace
