// Rendering a scriptlet rule: the call line with its call object and
// arguments, the code loaded on first use, and the failures that drop it.
#include "core/filtering/cosmetic/scriptlet_render.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/log_capture.h"

namespace {

using LoggerPtr = std::unique_ptr<logger_s, decltype(&logger_close)>;
using BasePtr = std::unique_ptr<scriptlets_library_t, decltype(&scriptlets_library_free)>;

// A rule as the rule parser would leave it, built by hand: the record points
// into the strings this object keeps.
struct HandRule {
    HandRule(std::string rule_text, std::string name, int32_t base_index,
             std::vector<std::string> arguments, uint8_t flags = 0)
        : text(std::move(rule_text)), args(std::move(arguments)) {
        call_name = std::move(name);
        for (const std::string &arg : args) {
            views.push_back({arg.size(), arg.data()});
        }
        call.base_index = base_index;
        call.name = {call_name.size(), call_name.data()};
        call.args = views.data();
        call.arg_count = static_cast<uint32_t>(views.size());
        rule.flags = flags;
        rule.text = text.data();
        rule.script_kind = COSMETIC_SCRIPT_SCRIPTLET;
        rule.call = &call;
    }
    HandRule(const HandRule &) = delete;
    HandRule &operator=(const HandRule &) = delete;

    std::string text;
    std::string call_name;
    std::vector<std::string> args;
    std::vector<cosmetic_text_t> views;
    scriptlet_call_t call{};
    cosmetic_rule_t rule{};
};

// Sets the process-wide level for one scope and puts the previous one back.
class DefaultLevel {
  public:
    explicit DefaultLevel(int level) : saved_(logger_get_default_log_level()) {
        logger_set_default_log_level(level);
    }
    ~DefaultLevel() { logger_set_default_log_level(saved_); }
    DefaultLevel(const DefaultLevel &) = delete;
    DefaultLevel &operator=(const DefaultLevel &) = delete;

  private:
    int saved_;
};

class ScriptletRenderTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(base_, nullptr); }
    void TearDown() override { js_buffer_release(&buffer_); }

    int Apply(const HandRule &rule) {
        return scriptlets_rule_apply(base_.get(), &rule.rule, &buffer_);
    }
    std::string Output() const { return std::string(buffer_.data, buffer_.length); }
    std::string Code(int32_t index) const { return base_->entries[index].code; }

    // Non-verbose unless a test says otherwise.
    LogCapture capture_{LOG_LEVEL_INFO};
    LoggerPtr logger_{logger_open("jsfilter", -1), logger_close};
    BasePtr base_{scriptlets_library_create(logger_.get()), scriptlets_library_free};
    js_buffer_t buffer_{};
};

TEST_F(ScriptletRenderTest, RendersTheCallWithQuotedArguments) {
    HandRule rule("example.org#%#//scriptlet('set-constant', 'a', 'say \"hi\"</b>')",
                  "set-constant", 6, {"a", "say \"hi\"\t</b>"});
    ASSERT_EQ(Apply(rule), 0);
    EXPECT_EQ(Output(), "(" + Code(6) +
                            ")({name:\"set-constant\",engine:\"quillon\",version:\"1.10.4\","
                            "verbose:false},[\"a\",\"say \\\"hi\\\"\\t<\\/b>\",]);\n");
    EXPECT_EQ(buffer_.data[buffer_.length], '\0');
    EXPECT_TRUE(capture_.messages().empty());
}

TEST_F(ScriptletRenderTest, RendersAnEmptyArgumentArray) {
    HandRule rule("#%#//scriptlet('nowebrtc')", "nowebrtc", 10, {});
    ASSERT_EQ(Apply(rule), 0);
    EXPECT_EQ(Output(), "(" + Code(10) +
                            ")({name:\"nowebrtc\",engine:\"quillon\",version:\"1.10.4\","
                            "verbose:false},[]);\n");
}

TEST_F(ScriptletRenderTest, PassesAnAliasThroughUnchanged) {
    HandRule rule("example.org#%#//scriptlet('aopr.js', 'adblock')", "aopr.js", 0, {"adblock"});
    ASSERT_EQ(Apply(rule), 0);
    EXPECT_EQ(Output().rfind("(function abortOnPropertyRead(", 0), 0u);
    EXPECT_EQ(Output(), "(" + Code(0) +
                            ")({name:\"aopr.js\",engine:\"quillon\",version:\"1.10.4\","
                            "verbose:false},[\"adblock\",]);\n");
}

TEST_F(ScriptletRenderTest, CarriesTheRuleTextFromLevelDebugOn) {
    const struct {
        int level;
        const char *meta;
    } kRows[] = {
        {LOG_LEVEL_ERROR, ""},
        {LOG_LEVEL_WARN, ""},
        {LOG_LEVEL_INFO, ""},
        {LOG_LEVEL_DEBUG,
         ",ruleText:\"example.org#%#\\/\\/scriptlet('set-constant', 'a', "
         "'\\\"b\\\"')\""},
        {LOG_LEVEL_TRACE,
         ",ruleText:\"example.org#%#\\/\\/scriptlet('set-constant', 'a', "
         "'\\\"b\\\"')\""},
    };
    HandRule rule("example.org#%#//scriptlet('set-constant', 'a', '\"b\"')", "set-constant", 6,
                  {"a", "\"b\""});
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.level);
        js_buffer_release(&buffer_);
        DefaultLevel level(row.level);
        ASSERT_EQ(Apply(rule), 0);
        bool verbose = row.level > LOG_LEVEL_INFO;
        EXPECT_EQ(Output(), "(" + Code(6) +
                                ")({name:\"set-constant\",engine:\"quillon\",version:\"1.10.4\","
                                "verbose:" +
                                (verbose ? "true" : "false") + row.meta +
                                "},[\"a\",\"\\\"b\\\"\",]);\n");
    }
}

TEST_F(ScriptletRenderTest, AnExceptionRendersNothing) {
    const int32_t kIndexes[] = {6, 46};
    for (int32_t index : kIndexes) {
        SCOPED_TRACE(index);
        HandRule rule("example.org#@%#//scriptlet('set-constant', 'a', '1')", "set-constant", index,
                      {"a", "1"}, COSMETIC_EXCEPTION);
        EXPECT_EQ(Apply(rule), 0);
        EXPECT_EQ(buffer_.data, nullptr);
        EXPECT_EQ(buffer_.length, 0u);
        EXPECT_EQ(buffer_.capacity, 0u);
    }
    EXPECT_EQ(base_->entries[6].code, nullptr);
    EXPECT_TRUE(capture_.messages().empty());
}

TEST_F(ScriptletRenderTest, FailsOnABaseIndexOutOfRange) {
    const struct {
        int32_t index;
        const char *message;
    } kRows[] = {
        {46, "scriptlets_rule_apply(): rule has wrong base index (idx=46, total scriplets=46)"},
        {-1, "scriptlets_rule_apply(): rule has wrong base index (idx=-1, total scriplets=46)"},
    };
    ASSERT_EQ(js_buffer_appendf(&buffer_, "a();\n"), 0);
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.index);
        capture_.clear();
        HandRule rule("#%#//scriptlet('x')", "x", row.index, {});
        EXPECT_EQ(Apply(rule), 1);
        EXPECT_EQ(capture_.messages(LOG_LEVEL_ERROR), (std::vector<std::string>{row.message}));
        EXPECT_EQ(capture_.messages().size(), 1u);
        EXPECT_EQ(Output(), "a();\n");
    }
}

TEST_F(ScriptletRenderTest, LoadsTheCodeOnFirstUseAndKeepsIt) {
    HandRule rule("#%#//scriptlet('nowebrtc')", "nowebrtc", 10, {});
    EXPECT_EQ(base_->entries[10].code, nullptr);
    ASSERT_EQ(Apply(rule), 0);
    const char *loaded = base_->entries[10].code;
    ASSERT_NE(loaded, nullptr);
    std::string line = Output();
    ASSERT_EQ(Apply(rule), 0);
    EXPECT_EQ(base_->entries[10].code, loaded);
    EXPECT_EQ(Output(), line + line);
    for (size_t i = 0; i < base_->entry_count; ++i) {
        if (i != 10) {
            EXPECT_EQ(base_->entries[i].code, nullptr) << i;
        }
    }
}

TEST_F(ScriptletRenderTest, FailsWhileTheCodeCannotBeLoadedAndRetries) {
    const char kText[] = R"({"scriptlets": [{"names": ["a"], "scriptlet": "function a() {}"}]})";
    BasePtr base(scriptlets_library_create(logger_.get(), kText), scriptlets_library_free);
    ASSERT_NE(base, nullptr);
    HandRule rule("#%#//scriptlet('a')", "a", 0, {});
    // The text breaks off before the source for one attempt.
    base->text_len = std::string_view(kText).find("\"function");
    EXPECT_EQ(scriptlets_rule_apply(base.get(), &rule.rule, &buffer_), 1);
    EXPECT_EQ(base->entries[0].code, nullptr);
    EXPECT_EQ(buffer_.data, nullptr);
    EXPECT_EQ(capture_.messages(LOG_LEVEL_WARN).size(), 1u);
    base->text_len = strlen(kText);
    ASSERT_EQ(scriptlets_rule_apply(base.get(), &rule.rule, &buffer_), 0);
    EXPECT_EQ(Output(),
              "(function a() {})({name:\"a\",engine:\"quillon\",version:\"1.10.4\","
              "verbose:false},[]);\n");
}

TEST_F(ScriptletRenderTest, GrowsTheBufferByDoublingPlusOne) {
    ASSERT_EQ(js_buffer_appendf(&buffer_, "%s", "abc"), 0);
    EXPECT_EQ(buffer_.capacity, 7u);  // 1, 3, 7: four bytes with the terminator
    ASSERT_EQ(js_buffer_appendf(&buffer_, "%s", "def"), 0);
    EXPECT_EQ(buffer_.capacity, 7u);
    ASSERT_EQ(js_buffer_appendf(&buffer_, "%d", 12), 0);
    EXPECT_EQ(buffer_.capacity, 15u);
    EXPECT_EQ(Output(), "abcdef12");
    EXPECT_EQ(buffer_.data[buffer_.length], '\0');
}

TEST_F(ScriptletRenderTest, GrowsAnEmptyBufferToFitTheCall) {
    HandRule rule("#%#//scriptlet('set-constant', 'a', '1')", "set-constant", 6, {"a", "1"});
    ASSERT_EQ(Apply(rule), 0);
    // The smallest of 1, 3, 7, 15, ... that holds the text and its terminator.
    size_t capacity = 0;
    while (capacity < buffer_.length + 1) {
        capacity = capacity * 2 + 1;
    }
    EXPECT_EQ(buffer_.capacity, capacity);
    EXPECT_EQ(buffer_.data[buffer_.length], '\0');
    EXPECT_EQ(strlen(buffer_.data), buffer_.length);
}

}  // namespace
