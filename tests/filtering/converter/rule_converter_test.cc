#include "core/filtering/converter/rule_converter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/filtering/converter/rule_converter_internal.h"
#include "tests/support/log_capture.h"

namespace {

const std::string kScriptCsp =
    "csp=script-src 'self' 'unsafe-eval' http: https: data: blob: mediastream: filesystem:";
const std::string kFontCsp =
    "csp=font-src 'self' 'unsafe-eval' http: https: data: blob: mediastream: filesystem:";

class Converter : public testing::Test {
  protected:
    void SetUp() override { converter_ = rule_converter_alloc(); }
    void TearDown() override { rule_converter_free(converter_); }

    // The rules `rule` converts to, after checking that each is a proper
    // module string: NUL-terminated, capacity on the 1, 3, 7, ... sequence.
    std::vector<std::string> Convert(const std::string &rule) {
        conv_rules_t rules = convert_rule(converter_, rule.data(), rule.size());
        std::vector<std::string> out;
        for (uint32_t i = 0; i < rules.count; ++i) {
            const conv_str_t &s = rules.rules[i];
            EXPECT_GT(s.capacity, s.length);
            EXPECT_EQ(s.capacity & (s.capacity + 1), 0u) << s.capacity;
            EXPECT_EQ(s.data[s.length], '\0');
            out.emplace_back(s.data, s.length);
        }
        conv_rules_free(&rules);
        EXPECT_EQ(rules.count, 0u);
        EXPECT_EQ(rules.rules, nullptr);
        return out;
    }

    rule_converter_s *converter_ = nullptr;
};

TEST_F(Converter, Conversions) {
    struct Row {
        std::string rule;
        std::vector<std::string> expected;
    } rows[] = {
        // ##^script:has-text()
        {"example.org##^script:has-text(abc)",
         {R"(example.org$$script[tag-content="abc"][max-length="262144"])"}},
        {"example.org#@#^script:has-text(abc)",
         {R"(example.org$@$script[tag-content="abc"][max-length="262144"])"}},
        {R"(example.org##^script:has-text(a"b))",
         {R"(example.org$$script[tag-content="a""b"][max-length="262144"])"}},
        // :style()
        {"example.org##div:style(color: red)", {"example.org#$#div { color: red }"}},
        {"example.org#@#div:style(color: red)", {"example.org#@$#div { color: red }"}},
        {"example.org#?#div:has(p):style(color: red)",
         {"example.org#$?#div:has(p) { color: red }"}},
        {"example.org#@?#div:style(color: red)", {"example.org#@$?#div { color: red }"}},
        {"example.org##div:style(color: red) \t", {"example.org#$#div { color: red }"}},
        {"example.org##div:style(color: red) span", {}},
        // +js() and script:inject()
        {"example.org##+js(set-constant, foo, true)",
         {"example.org#%#//scriptlet('ubo-set-constant', 'foo', 'true')"}},
        {"example.org##+js(nano-sib)", {"example.org#%#//scriptlet('ubo-nano-sib')"}},
        {"example.org##+js()", {"example.org#%#//scriptlet('ubo-')"}},
        {"example.org##+js(  )", {"example.org#%#//scriptlet('ubo-')"}},
        {"example.org#@#+js(foo, a,)", {"example.org#@%#//scriptlet('ubo-foo', 'a', '')"}},
        {"example.org##+js(foo, 'a,b')", {R"(example.org#%#//scriptlet('ubo-foo', '\'a,b\''))"}},
        {R"(example.org##+js(foo, "a,b", c))",
         {R"(example.org#%#//scriptlet('ubo-foo', '"a,b"', 'c'))"}},
        {"example.org##+js(foo,,b)", {"example.org#%#//scriptlet('ubo-foo', '', 'b')"}},
        {"example.org##script:inject(foo.js, x)", {"example.org#%#//scriptlet('ubo-foo.js', 'x')"}},
        {"example.org#@#script:inject(foo.js)", {"example.org#@%#//scriptlet('ubo-foo.js')"}},
        {"example.org#?#+js(foo)", {"example.org#%#//scriptlet('ubo-foo')"}},
        {"example.org#@?#+js(foo)", {"example.org#@%#//scriptlet('ubo-foo')"}},
        // Adblock Plus snippets; CSS injection keeps its own syntax.
        {"example.org#$#log hello", {"example.org#%#//scriptlet('abp-log', 'hello')"}},
        {"example.org#$#log  hello  ", {"example.org#%#//scriptlet('abp-log', 'hello')"}},
        {"example.org#$#abort-on-property-read 'a b'",
         {"example.org#%#//scriptlet('abp-abort-on-property-read', ''a', 'b'')"}},
        {"example.org#$#div { color: red }", {}},
        // CSP options.
        {"||example.org^$inline-script", {"||example.org^$" + kScriptCsp}},
        {"||example.org^$inline-font", {"||example.org^$" + kFontCsp}},
        {"||example.org^$third-party,inline-script,important",
         {"||example.org^$third-party," + kScriptCsp + ",important"}},
        {"||example.org^$INLINE-SCRIPT", {}},  // the pre-check ignores case, the pattern not
        {"||example.org^$inline-script=x,important", {"||example.org^$" + kScriptCsp}},
        {"||example.org^$all",
         {"||example.org^$" + kScriptCsp, "||example.org^$" + kFontCsp,
          "||example.org^$document,popup", "||example.org^"}},
        {"||example.org^$all,third-party",
         {"||example.org^$" + kScriptCsp + ",third-party",
          "||example.org^$" + kFontCsp + ",third-party",
          "||example.org^$document,popup,third-party", "||example.org^$third-party"}},
        {"||example.org^$third-party,all",
         {"||example.org^$third-party," + kScriptCsp, "||example.org^$third-party," + kFontCsp,
          "||example.org^$third-party,document,popup", "||example.org^$third-party"}},
        // Every output is converted again.
        {"||example.org^$inline-script,inline-font",
         {"||example.org^$" + kScriptCsp + "," + kFontCsp}},
        // Redirects.
        {"||example.org^$script,rewrite=abp-resource:blank-js",
         {"||example.org^$script,redirect=blank-js"}},
        {"||example.org^$mp4", {"||example.org^$redirect=noopmp4-1s,media"}},
        {"||example.org^$xhr,empty,important", {"||example.org^$xhr,redirect=nooptext,important"}},
        // ##^responseheader()
        {"example.org##^responseheader(refresh)", {"||example.org^$removeheader=refresh"}},
        {"example.org#@#^responseheader(refresh)", {"@@||example.org^$removeheader=refresh"}},
        // :matches-path() and its negation.
        {"example.org##.ad:matches-path(/shop)", {"[$path=/shop]example.org##.ad"}},
        {"example.org##:matches-path(/shop) .ad", {"[$path=/shop]example.org## .ad"}},
        {"example.org##.ad:not(:matches-path(/shop))",
         {"[$path=/^((?!/shop).)*$/]example.org##.ad"}},
        {R"(example.org##.ad:not(:matches-path(/^\/shop/)))",
         {R"([$path=/^((?!^\/shop).)*$/]example.org##.ad)"}},
        {"example.org##.ad:not(:matches-path(/a*b^))",
         {"[$path=/^((?!/a.*b([^ a-zA-Z0-9.%_-]|$)).)*$/]example.org##.ad"}},
        // Nothing to convert.
        {"abc", {}},
        {"[Adblock Plus 2.0]", {}},
        {"[Adblock##+js(foo)", {}},
        {"! ||example.org^$all", {}},
        {"# example.org##+js(foo)", {}},
        {"||example.org^$third-party", {}},
        {"example.org##.ad", {}},
        {"example.org#@#.ad", {}},
        {"##.small", {}},
        {"||example.org^$script,domain=mall.com", {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rule);
        LogCapture capture;
        EXPECT_EQ(Convert(row.rule), row.expected);
        EXPECT_EQ(capture.messages(), std::vector<std::string>{});
    }
}

TEST_F(Converter, NullIsIgnored) {
    rule_converter_free(nullptr);
    conv_rules_t empty{};
    conv_rules_free(&empty);
}

TEST_F(Converter, MatchResultIsTracedOnlyAtTrace) {
    LogCapture capture;  // process default TRACE: the converter keeps its own INFO
    EXPECT_EQ(Convert("example.org##+js(foo)").size(), 1u);
    EXPECT_EQ(capture.messages(), std::vector<std::string>{});

    converter_->logger->level = LOG_LEVEL_TRACE;
    EXPECT_EQ(Convert("example.org##+js(foo)").size(), 1u);
    // Entry 6 has four groups; then nothing matches the output.
    EXPECT_EQ(capture.messages(LOG_LEVEL_TRACE),
              std::vector<std::string>{"convert_rule(): got retval = 5"});
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0].logger, "rule converter");
}

TEST_F(Converter, MatchFailureIsWarned) {
    // The snippet pattern backtracks exponentially over words that a tab
    // keeps from reaching the end; the match limit stops it.
    std::string rule = "example.org#$#" + std::string(40, 'a') + "\t";
    LogCapture capture;
    EXPECT_EQ(Convert(rule), std::vector<std::string>{});
    EXPECT_EQ(capture.messages(LOG_LEVEL_WARN),
              std::vector<std::string>{"convert_rule(): Matching '" + rule +
                                       "' failed against pattern '" +
                                       converter_->table[CONV_ABP_SNIPPET].pattern + "': -47"});
}

TEST_F(Converter, TooFewOffsetsSkipTheEntry) {
    converter_->table[CONV_JS].group = 5;  // the pattern has four groups
    LogCapture capture;
    EXPECT_EQ(Convert("example.org##+js(foo)"), std::vector<std::string>{});
    EXPECT_EQ(capture.messages(LOG_LEVEL_ERROR),
              std::vector<std::string>{
                  "convert_rule(): Rule matched against pattern, but vector of offsets is too "
                  "small (expected at least 11, got 10 offsets)"});
}

TEST_F(Converter, EveryPatternCompiles) {
    for (const conv_pattern_t &e : converter_->table) {
        SCOPED_TRACE(e.pattern);
        EXPECT_NE(e.code, nullptr);
        EXPECT_EQ(e.pattern_len, strlen(e.pattern));
        EXPECT_EQ(e.precheck_len, strlen(e.precheck));
    }
}

TEST_F(Converter, EntryWithoutCodeIsSkipped) {
    // As after a failed compilation: the entry is passed over, the next
    // applicable one still runs.
    conv_pattern_t saved = converter_->table[CONV_INLINE_SCRIPT];
    converter_->table[CONV_INLINE_SCRIPT].code = nullptr;
    EXPECT_EQ(Convert("||example.org^$inline-script"), std::vector<std::string>{});
    EXPECT_EQ(Convert("||example.org^$inline-font"),
              std::vector<std::string>{"||example.org^$" + kFontCsp});
    converter_->table[CONV_INLINE_SCRIPT] = saved;
}

TEST_F(Converter, RuleWithNulByte) {
    // The case-insensitive pre-check stops at the NUL; the rest is bytes.
    std::string hidden("||example.org^$x\0,inline-script", 31);
    EXPECT_EQ(Convert(hidden), std::vector<std::string>{});
    std::string kept("exa\0mple.org##div:style(color: red)", 35);
    EXPECT_EQ(Convert(kept),
              std::vector<std::string>{std::string("exa\0mple.org#$#div { color: red }", 33)});
}

}  // namespace
