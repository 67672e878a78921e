// The cosmetic rule parser: markers, domains, modifiers, contents, script
// rules and scriptlet calls, compared as one breakdown line per rule.
#include "core/filtering/cosmetic/cosmetic_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/log_capture.h"

namespace {

std::vector<std::string> set_keys(const string_set_t *set, const std::string &prefix,
                                  const std::string &suffix) {
    struct Ctx {
        std::vector<std::string> keys;
        const std::string &prefix, &suffix;
    } ctx{{}, prefix, suffix};
    string_set_foreach(
        set,
        [](void *arg, const char *key, size_t length) {
            auto *c = static_cast<Ctx *>(arg);
            c->keys.push_back(c->prefix + std::string(key, length) + c->suffix);
            return 0;
        },
        &ctx);
    return ctx.keys;
}

std::string joined(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    std::string text;
    for (const std::string &item : items) {
        text += (text.empty() ? "" : "|") + item;
    }
    return text;
}

std::string domain_list(const rule_domains_t &d) {
    std::vector<std::string> all = set_keys(d.permitted, "", "");
    for (const auto &more :
         {set_keys(d.permitted_any_tld, "", ".*"), set_keys(d.restricted, "~", ""),
          set_keys(d.restricted_any_tld, "~", ".*")}) {
        all.insert(all.end(), more.begin(), more.end());
    }
    return joined(all);
}

std::string bits(uint8_t value, const std::vector<std::pair<uint8_t, const char *>> &names) {
    std::string text;
    for (const auto &[bit, name] : names) {
        if (value & bit) {
            text += (text.empty() ? "" : "|") + std::string(name);
        }
    }
    return text;
}

std::string call_text(const scriptlet_call_t *call) {
    std::string text = std::string(call->name.text, call->name.length) + "(";
    for (uint32_t i = 0; i < call->arg_count; ++i) {
        text += (i ? "," : "") + std::string("<") +
                std::string(call->args[i].text, call->args[i].length) + ">";
    }
    return text + ") index=" + std::to_string(call->base_index);
}

// The whole parsed state of a rule as one line.
std::string breakdown(const cosmetic_rule_t *rule) {
    std::string text =
        "flags=" +
        bits(rule->flags, {{COSMETIC_EXCEPTION, "EXCEPTION"}, {COSMETIC_GENERIC, "GENERIC"}}) +
        " kind=" + bits(rule->kind, {{COSMETIC_STYLE, "STYLE"}, {COSMETIC_EXTENDED, "EXTENDED"}}) +
        " content=" + rule->content;
    if (!rule_domains_empty(&rule->domains)) {
        text += " domains=" + domain_list(rule->domains);
    }
    if (rule->modifiers != nullptr) {
        const rule_apps_t &apps = rule->modifiers->apps;
        std::vector<std::string> names = set_keys(apps.permitted, "", "");
        auto restricted = set_keys(apps.restricted, "~", "");
        names.insert(names.end(), restricted.begin(), restricted.end());
        text += " apps=" + joined(names) + (rule->modifiers->path ? " path" : "");
    }
    return text;
}

std::string script_breakdown(const cosmetic_rule_t *rule) {
    std::string text = breakdown(rule) + " marker_pos=" + std::to_string(rule->marker_pos) +
                       " order=" + std::to_string(rule->order);
    if (rule->script_kind == COSMETIC_SCRIPT_SCRIPTLET) {
        text += " scriptlet=" + call_text(rule->call);
    }
    return text;
}

// A scriptlets base of two: "set-constant" (alias "set-constant.js") and
// "log".
int32_t lookup(const void *, const char *name, size_t length) {
    std::string wanted(name, length);
    if (wanted == "set-constant" || wanted == "set-constant.js") {
        return 6;
    }
    return wanted == "log" ? 13 : -1;
}

class CosmeticParserTest : public ::testing::Test {
  protected:
    int Parse(const std::string &text, uint8_t families, cosmetic_rule_t **rule) {
        parser_.families = families;
        return cosmetic_parse_rule(&parser_, text.data(), text.size(), rule);
    }
    // The breakdown of an accepted rule, or the status.
    std::string Breakdown(const std::string &text,
                          uint8_t families = COSMETIC_FAMILY_CSS | COSMETIC_FAMILY_SCRIPT) {
        cosmetic_rule_t *rule;
        int status = Parse(text, families, &rule);
        if (status != COSMETIC_PARSE_OK) {
            EXPECT_EQ(rule, nullptr);
            return "status=" + std::to_string(status);
        }
        EXPECT_EQ(std::string(rule->text), text);
        std::string result =
            families == COSMETIC_FAMILY_SCRIPT ? script_breakdown(rule) : breakdown(rule);
        cosmetic_rule_free(rule);
        return result;
    }

    CosmeticParserTest() : logger_(logger_open("cosmetic", -1)) {}
    ~CosmeticParserTest() override { logger_close(logger_); }

    logger_s *logger_;
    cosmetic_parser_t parser_{logger_, 0, lookup, nullptr, 0};
};

TEST_F(CosmeticParserTest, ElementHidingMarkers) {
    struct Row {
        std::string text;
        std::string expected;
    } rows[] = {
        {"example.org##.ad", "flags= kind= content=.ad domains=example.org"},
        {"##.ad", "flags=GENERIC kind= content=.ad"},
        {"*##.ad", "flags=GENERIC kind= content=.ad"},
        {"example.org,~sub.example.org#@#.ad",
         "flags=EXCEPTION kind= content=.ad domains=example.org|~sub.example.org"},
        {"~example.org##.ad", "flags=GENERIC kind= content=.ad domains=~example.org"},
        {"example.*,~example.co.uk##.ad",
         "flags= kind= content=.ad domains=example.*|~example.co.uk"},
        {" example.org , example.com ##  .ad  ",
         "flags= kind= content=.ad domains=example.com|example.org"},
        {"example.org##div#main > a[href^=\"http://x\"]",
         "flags= kind= content=div#main > a[href^=\"http://x\"] domains=example.org"},
        {"example.org#?#div", "flags= kind=EXTENDED content=div domains=example.org"},
        {"#@?#div", "flags=EXCEPTION|GENERIC kind=EXTENDED content=div"},
        {"example.org##div:has(> a)",
         "flags= kind=EXTENDED content=div:has(> a) domains=example.org"},
        {"##div:not(:has(a))", "flags=GENERIC kind=EXTENDED content=div:not(:has(a))"},
        {"##DIV:HAS-TEXT(Ad)", "flags=GENERIC kind=EXTENDED content=DIV:HAS-TEXT(Ad)"},
        {"#@#div:-abp-contains(x)",
         "flags=EXCEPTION|GENERIC kind=EXTENDED content=div:-abp-contains(x)"},
        {"##div[-ext-has=\".a\"]", "flags=GENERIC kind=EXTENDED content=div[-ext-has=\".a\"]"},
        {"##div:matches-css(width: 1px)",
         "flags=GENERIC kind=EXTENDED content=div:matches-css(width: 1px)"},
        {"##div:xpath(//a[@id='x'])",
         "flags=GENERIC kind=EXTENDED content=div:xpath(//a[@id='x'])"},
        {"##a:upward(2)", "flags=GENERIC kind=EXTENDED content=a:upward(2)"},
        {"example.org#$#body { color: red }",
         "flags= kind=STYLE content=body { color: red } domains=example.org"},
        {"#@$#body { background: url(http://x/a.png) }",
         "flags=EXCEPTION|GENERIC kind=STYLE content=body { background: url(http://x/a.png) }"},
        {"example.org#?$#div:has(a) { color: red }",
         "flags= kind=STYLE|EXTENDED content=div:has(a) { color: red } domains=example.org"},
        {"#@?$#div { x: y }", "flags=EXCEPTION|GENERIC kind=STYLE|EXTENDED content=div { x: y }"},
        {"example.org#$?#div { x: y }",
         "flags= kind=STYLE|EXTENDED content=div { x: y } domains=example.org"},
        {"#@$?#div { x: y }", "flags=EXCEPTION|GENERIC kind=STYLE|EXTENDED content=div { x: y }"},
        {"#$#div:has(a) { content: \"}\" }",
         "flags=GENERIC kind=STYLE|EXTENDED content=div:has(a) { content: \"}\" }"},
        // EasyList's style rules written with "##"; only the extended engine
        // removes elements.
        {"example.org##a { color: red }",
         "flags= kind=STYLE content=a { color: red } domains=example.org"},
        {"example.org##.x {remove:true;}",
         "flags= kind=STYLE|EXTENDED content=.x {remove:true;} domains=example.org"},
        {"#$#.x { REMOVE : true }",
         "flags=GENERIC kind=STYLE|EXTENDED content=.x { REMOVE : true }"},
        {"[$path=/page]example.org##.ad",
         "flags= kind= content=.ad domains=example.org apps= path"},
        {"[$app=a.exe|~b.exe]##.ad", "flags=GENERIC kind= content=.ad apps=a.exe|~b.exe"},
        {"[$domain=example.org|~x.example.org]##.ad",
         "flags= kind= content=.ad domains=example.org|~x.example.org apps="},
        {"[$path=/\\[x\\]/]#@#.ad", "flags=EXCEPTION|GENERIC kind= content=.ad apps= path"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Breakdown(row.text, COSMETIC_FAMILY_CSS), row.expected);
    }
}

TEST_F(CosmeticParserTest, ScriptRules) {
    struct Row {
        std::string text;
        std::string expected;
    } rows[] = {
        {"example.org#%#alert(1)",
         "flags= kind= content=alert(1) domains=example.org marker_pos=11 order=0"},
        {"#@%#alert(1); ", "flags=EXCEPTION|GENERIC kind= content=alert(1);  marker_pos=0 order=0"},
        {"example.org#%#//scriptlet('set-constant', 'a', '1')",
         "flags= kind= content=//scriptlet('set-constant', 'a', '1') domains=example.org "
         "marker_pos=11 order=0 scriptlet=set-constant(<a>,<1>) index=6"},
        {"#@%#//scriptlet(\"log\")",
         "flags=EXCEPTION|GENERIC kind= content=//scriptlet(\"log\") marker_pos=0 order=0 "
         "scriptlet=log() index=13"},
        {"a.org#%#//scriptlet( 'set-constant.js' ,\"x\" )",
         "flags= kind= content=//scriptlet( 'set-constant.js' ,\"x\" ) domains=a.org "
         "marker_pos=5 order=0 scriptlet=set-constant.js(<x>) index=6"},
        {"#%#//scriptlet('no-such', 'it\\'s', \"\\\"q\\\"\", '\\\\', '/\\d+/', '')",
         "flags=GENERIC kind= content=//scriptlet('no-such', 'it\\'s', \"\\\"q\\\"\", '\\\\', "
         "'/\\d+/', '') marker_pos=0 order=0 "
         "scriptlet=no-such(<it's>,<\"q\">,<\\>,</\\d+/>,<>) index=-1"},
        {"[$path=/x]#%#//scriptlet('log', 'a,b')",
         "flags=GENERIC kind= content=//scriptlet('log', 'a,b') apps= path marker_pos=10 order=0 "
         "scriptlet=log(<a,b>) index=13"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        parser_.script_count = 0;
        EXPECT_EQ(Breakdown(row.text, COSMETIC_FAMILY_SCRIPT), row.expected);
    }
}

TEST_F(CosmeticParserTest, ScriptOrderCountsAcceptedScriptRules) {
    // Element-hiding rules keep order 0; a rejected script rule takes none.
    struct Row {
        std::string text;
        int status;
        int32_t order;
    } rows[] = {
        {"a.org#%#x()", COSMETIC_PARSE_OK, 0},
        {"a.org#%#", COSMETIC_PARSE_REJECTED, 0},
        {"a.org##.ad", COSMETIC_PARSE_OK, 0},
        {"a.org#@%#x()", COSMETIC_PARSE_OK, 1},
        {"#%#//scriptlet('log')", COSMETIC_PARSE_OK, 2},
    };
    LogCapture capture;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        cosmetic_rule_t *rule;
        ASSERT_EQ(Parse(row.text, COSMETIC_FAMILY_CSS | COSMETIC_FAMILY_SCRIPT, &rule), row.status);
        if (rule != nullptr) {
            EXPECT_EQ(rule->order, row.order);
            cosmetic_rule_free(rule);
        }
    }
    EXPECT_EQ(parser_.script_count, 3);
}

TEST_F(CosmeticParserTest, NotCosmeticRulesAreLeftSilently) {
    const char *texts[] = {
        "! comment",
        "# comment ##.ad",
        "[Adblock Plus 2.0]",
        "##a",
        "example.org",
        "||example.org^$script",
        "@@||example.org^$elemhide",
        "||example.org/#ad",
        "example.org##^script:has-text(x)",
        "example.org#@#^script:has-text(x)",
        "example.org$$script[tag-content=\"x\"]",
        "example.org$@$script",
        "[$path=/x]example.org$$script",
        "example.org##+js(set-constant, a, 1)",
        "example.org#@#+js(set-constant)",
        "example.org#?#+js(set-constant)",
        "example.org##script:inject(a.js)",
        "example.org##div:style(color: red)",
        "example.org#?#div:has(a):style(color: red)",
        "example.org##div:matches-path(/page)",
        "example.org##div:not(:MATCHES-PATH(/page))",
        "example.org#$#abort-on-property-read adblock",
    };
    LogCapture capture;
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Breakdown(text), "status=2");
    }
    EXPECT_EQ(capture.messages(), std::vector<std::string>{});
}

TEST_F(CosmeticParserTest, FamiliesSelectMarkers) {
    LogCapture capture;
    EXPECT_EQ(Breakdown("example.org#%#alert(1)", COSMETIC_FAMILY_CSS), "status=2");
    EXPECT_EQ(Breakdown("example.org#@%#//scriptlet(", COSMETIC_FAMILY_CSS), "status=2");
    EXPECT_EQ(Breakdown("example.org##.ad", COSMETIC_FAMILY_SCRIPT), "status=2");
    EXPECT_EQ(Breakdown("example.org#$#a { b: c }", COSMETIC_FAMILY_SCRIPT), "status=2");
    EXPECT_EQ(capture.messages(), std::vector<std::string>{});
}

TEST_F(CosmeticParserTest, RejectionsAreLoggedAtWarn) {
    struct Row {
        std::string text;
        std::vector<std::string> messages;
    } rows[] = {
        {"example.org##", {"cosmetic_parse_rule(): Empty selector: example.org##"}},
        {"example.org##   ", {"cosmetic_parse_rule(): Empty selector: example.org##   "}},
        {"example.org##div[",
         {"cosmetic_parse_rule(): Unbalanced brackets or quotes in selector: example.org##div["}},
        {"example.org##a)",
         {"cosmetic_parse_rule(): Unbalanced brackets or quotes in selector: example.org##a)"}},
        {"example.org##a[title=\"x]",
         {"cosmetic_parse_rule(): Unbalanced brackets or quotes in selector: "
          "example.org##a[title=\"x]"}},
        {"example.org##a { color: red } b",
         {"cosmetic_parse_rule(): Selector holds a malformed style block: "
          "example.org##a { color: red } b"}},
        {"example.org##{ color: red }",
         {"cosmetic_parse_rule(): Empty selector: example.org##{ color: red }"}},
        {"example.org#$#a { color: red } b",
         {"cosmetic_parse_rule(): Style rule is not a selector followed by declarations in "
          "braces: example.org#$#a { color: red } b"}},
        {"example.org#$#a { x } b { y }",
         {"cosmetic_parse_rule(): Style rule is not a selector followed by declarations in "
          "braces: example.org#$#a { x } b { y }"}},
        {"example.org#@$#a",
         {"cosmetic_parse_rule(): Style rule is not a selector followed by declarations in "
          "braces: example.org#@$#a"}},
        {"example.org#$# { color: red }",
         {"cosmetic_parse_rule(): Empty selector: example.org#$# { color: red }"}},
        {"[$path=/a##.ad",
         {"cosmetic_parse_rule(): Modifier prefix is not closed: [$path=/a##.ad"}},
        {"[$path=/a]example.org",
         {"cosmetic_parse_rule(): No cosmetic rule after the modifier prefix: "
          "[$path=/a]example.org"}},
        {"[$color=red]##.ad",
         {"cosmetic_modifiers_parse(): Unknown modifier: color=",
          "cosmetic_parse_rule(): Invalid modifier prefix: [$color=red]##.ad"}},
        {"[$path=/a[0-9]/]##.ad",
         {"cosmetic_parse_rule(): Unescaped ']' inside the modifier prefix: "
          "[$path=/a[0-9]/]##.ad"}},
        {"example.org,,x.org##.ad",
         {"extract_rule_domains_with_delim(): Empty domain: ,x.org",
          "cosmetic_parse_rule(): Invalid domain list: example.org,,x.org##.ad"}},
        {"[$domain=a.org]b.org##.ad",
         {"extract_rule_domains(): Rule already has domain restrictions",
          "cosmetic_parse_rule(): Invalid domain list: [$domain=a.org]b.org##.ad"}},
        {"example.org#%#", {"cosmetic_parse_rule(): Empty script: example.org#%#"}},
        {"example.org#@%# \t", {"cosmetic_parse_rule(): Empty script: example.org#@%# \t"}},
        {"#%#//scriptlet(set-constant)",
         {"cosmetic_parse_rule(): Malformed scriptlet call, arguments must be quoted: "
          "#%#//scriptlet(set-constant)"}},
        {"#%#//scriptlet()",
         {"cosmetic_parse_rule(): Malformed scriptlet call, no scriptlet name: #%#//scriptlet()"}},
        {"#%#//scriptlet('', 'a')",
         {"cosmetic_parse_rule(): Malformed scriptlet call, no scriptlet name: "
          "#%#//scriptlet('', 'a')"}},
        {"#%#//scriptlet('a'",
         {"cosmetic_parse_rule(): Malformed scriptlet call, expected ',' or ')' after an "
          "argument: #%#//scriptlet('a'"}},
        {"#%#//scriptlet('a)",
         {"cosmetic_parse_rule(): Malformed scriptlet call, an argument is not closed: "
          "#%#//scriptlet('a)"}},
        {"#%#//scriptlet('a',)",
         {"cosmetic_parse_rule(): Malformed scriptlet call, arguments must be quoted: "
          "#%#//scriptlet('a',)"}},
        {"#%#//scriptlet('a');",
         {"cosmetic_parse_rule(): Malformed scriptlet call, text after ')': "
          "#%#//scriptlet('a');"}},
        {"#%#//scriptlet",
         {"cosmetic_parse_rule(): Malformed scriptlet call, missing '(': "
          "#%#//scriptlet"}},
        {std::string("example.org##.a\0d", 17),
         {"cosmetic_parse_rule(): Rule holds a NUL byte: example.org##.a"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        LogCapture capture;
        EXPECT_EQ(Breakdown(row.text), "status=1");
        EXPECT_EQ(capture.messages(LOG_LEVEL_WARN), row.messages);
        EXPECT_EQ(capture.messages().size(), row.messages.size());
    }
}

TEST(CosmeticParseDomains, ReadsTheDomainsOfTheTextAgain) {
    struct Row {
        std::string text;
        std::string domains;
        bool generic;
    } rows[] = {
        {"example.org,~a.example.org##.ad", "example.org|~a.example.org", false},
        {"[$domain=example.org|example.com,path=/x]##.ad", "example.com|example.org", false},
        {"~example.org##.ad", "~example.org", true},
        {"##.ad", "", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        cosmetic_parser_t parser{nullptr, COSMETIC_FAMILY_CSS, nullptr, nullptr, 0};
        cosmetic_rule_t *rule;
        ASSERT_EQ(cosmetic_parse_rule(&parser, row.text.data(), row.text.size(), &rule), 0);
        rule_domains_t domains;
        bool generic = !row.generic;
        ASSERT_EQ(cosmetic_parse_domains(rule, &domains, &generic, nullptr), 0);
        EXPECT_EQ(domain_list(domains), row.domains);
        EXPECT_EQ(generic, row.generic);
        rule_domains_release(&domains);
        cosmetic_rule_free(rule);
    }
}

}  // namespace
