#define PCRE2_CODE_UNIT_WIDTH 8
#include "core/filtering/urlfilter/network_modifiers.h"

#include <gtest/gtest.h>
#include <pcre2.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/filtering/common/regex_limits.h"
#include "core/filtering/urlfilter/rule_options.h"
#include "tests/support/log_capture.h"

// Rows name only the record fields they expect to be set; the others keep
// their defaults, which GCC would otherwise report.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using Handler = int (*)(urlfilter_context_t *, cached_rule_t *, size_t, const char *);
using Messages = std::vector<std::string>;

// What the options of a rule hold after one handler ran: which modifier's
// record (empty: none) and its fields; fields a modifier lacks stay zero.
struct Record {
    std::string kind;
    bool negate = false;
    bool is_regex = false;
    uint32_t regex_options = 0;
    bool is_response = false;
    int32_t max_age = 0;
    int32_t same_site = 0;
    uint8_t flags = 0;
    bool t = false;
    uint16_t stealth = 0;
    std::string text;  // a name, the HLS pattern, the replace or csp text

    bool operator==(const Record &) const = default;
};

void PrintTo(const Record &r, std::ostream *os) {
    *os << "{kind=" << r.kind << " negate=" << r.negate << " is_regex=" << r.is_regex
        << " regex_options=" << r.regex_options << " is_response=" << r.is_response
        << " max_age=" << r.max_age << " same_site=" << r.same_site
        << " flags=" << static_cast<int>(r.flags) << " t=" << r.t << " stealth=0x" << std::hex
        << r.stealth << std::dec << " text='" << r.text << "'}";
}

Record Breakdown(const rule_options_t *o) {
    if (o == nullptr) {
        return {};
    }
    if (const removeparam_t *p = o->removeparam) {
        Record r{.kind = "removeparam", .negate = p->negate != 0, .is_regex = p->is_regex != 0};
        if (p->is_regex) {
            r.regex_options = p->regex_options;
        } else {
            r.text.assign(p->name, p->name_len);
        }
        return r;
    }
    if (const removeheader_t *h = o->removeheader) {
        return {.kind = "removeheader", .is_response = h->is_response != 0, .text = h->name};
    }
    if (const cookie_rule_t *c = o->cookie) {
        bool is_regex = c->flags & COOKIE_RULE_REGEX;
        return {.kind = "cookie",
                .is_regex = is_regex,
                .max_age = c->max_age,
                .same_site = c->same_site,
                .flags = c->flags,
                .text = is_regex || c->name_or_regex == nullptr
                            ? ""
                            : static_cast<const char *>(c->name_or_regex)};
    }
    if (const hls_rule_t *h = o->hls) {
        return {.kind = "hls", .t = h->t, .text = h->pattern};
    }
    if (o->stealth != 0) {
        return {.kind = "stealth", .stealth = o->stealth};
    }
    if (o->replace_text != nullptr) {
        return {.kind = "replace", .text = o->replace_text};
    }
    if (o->csp_text != nullptr) {
        return {.kind = "csp", .text = o->csp_text};
    }
    return {};
}

// The compiled expression the record holds, if any.
const pcre2_code *RecordRegex(const rule_options_t *o) {
    if (o == nullptr) {
        return nullptr;
    }
    if (o->removeparam != nullptr && o->removeparam->is_regex) {
        return o->removeparam->regex;
    }
    if (o->cookie != nullptr && (o->cookie->flags & COOKIE_RULE_REGEX)) {
        return static_cast<const pcre2_code *>(o->cookie->name_or_regex);
    }
    if (o->hls != nullptr) {
        return o->hls->regex;
    }
    return nullptr;
}

struct Row {
    std::string rule;  // "@@" makes it an exception
    Handler handler;
    std::string value;  // what follows the option name
    int status;
    Record record;
    Messages problems = {};  // WARN and ERROR messages, in order
    Messages matching = {};  // samples the record's expression matches
    Messages not_matching = {};
    uint32_t flags = 0;  // more rule flags
};

class NetworkModifiers : public testing::Test {
  protected:
    void SetUp() override {
        logger_ = logger_open("urlfilter", -1);
        ASSERT_NE(logger_, nullptr);
        engine_.logger = logger_;
    }
    void TearDown() override { logger_close(logger_); }

    static cached_rule_t MakeRule(const std::string &text, uint32_t flags = 0) {
        cached_rule_t rule{};
        rule.text = text.data();
        rule.text_len = static_cast<uint32_t>(text.size());
        rule.flags = flags | (text.rfind("@@", 0) == 0 ? uint32_t{RULE_WHITELIST} : 0u);
        return rule;
    }

    int Run(Handler handler, cached_rule_t *rule, const std::string &value) {
        return handler(&engine_, rule, value.size(), value.data());
    }

    void Check(const std::vector<Row> &rows) {
        for (const Row &row : rows) {
            SCOPED_TRACE(row.rule + "  value: " + row.value);
            LogCapture capture(LOG_LEVEL_TRACE);
            cached_rule_t rule = MakeRule(row.rule, row.flags);
            EXPECT_EQ(Run(row.handler, &rule, row.value), row.status);
            EXPECT_EQ(Breakdown(rule.options), row.record);
            Messages problems;
            for (const CapturedLine &line : capture.lines()) {
                if (line.level <= LOG_LEVEL_WARN) {
                    problems.push_back(line.message);
                }
            }
            EXPECT_EQ(problems, row.problems);
            if (row.status != 0) {
                EXPECT_EQ(rule.options, nullptr);  // nothing left behind
            }
            const pcre2_code *regex = RecordRegex(rule.options);
            if (!row.matching.empty() || !row.not_matching.empty()) {
                ASSERT_NE(regex, nullptr);
            }
            for (const std::string &s : row.matching) {
                EXPECT_EQ(regex_match(regex, s.data(), s.size()), 1) << s;
            }
            for (const std::string &s : row.not_matching) {
                EXPECT_EQ(regex_match(regex, s.data(), s.size()), 0) << s;
            }
            rule_release(&rule);
        }
    }

    logger_s *logger_ = nullptr;
    urlfilter_context_t engine_{};
};

constexpr uint32_t kCaseless = PCRE2_CASELESS;

TEST_F(NetworkModifiers, Removeparam) {
    const char kRule[] = "||example.com^$removeparam";
    Handler h = extract_removeparam;
    Check({
        {"||example.com^$removeparam=~utm_source",
         h,
         "=~utm_source",
         0,
         {.kind = "removeparam", .negate = true, .text = "utm_source"}},
        {"||example.com^$removeparam=utm_source",
         h,
         "=utm_source",
         0,
         {.kind = "removeparam", .text = "utm_source"}},
        {"$removeparam=/^utm_/i",
         h,
         "=/^utm_/i",
         0,
         {.kind = "removeparam", .is_regex = true, .regex_options = kCaseless},
         {},
         {"UTM_source", "utm_medium"},
         {"xutm_"}},
        {"$removeparam=~/^utm_/",
         h,
         "=~/^utm_/",
         0,
         {.kind = "removeparam", .negate = true, .is_regex = true},
         {},
         {"utm_a"},
         {"UTM_a"}},
        // Escaped "/", "$" and "," lose their backslash; other escapes stay.
        {"$removeparam=/a\\/b\\,c\\d/",
         h,
         "=/a\\/b\\,c\\d/",
         0,
         {.kind = "removeparam", .is_regex = true},
         {},
         {"a/b,c1"},
         {"a/b,cd"}},
        {"$removeparam=/x$/",
         h,
         "=/x\\$/",
         0,
         {.kind = "removeparam", .is_regex = true},
         {},
         {"ax"},
         {"xa"}},
        {kRule, h, "", 0, {}},  // every parameter
        {"$removeparam=/xy",
         h,
         "=/xy",
         1,
         {},
         {"add_regex_param(): Regex parameter should end with '/': /xy"}},
        {"$removeparam=/x",
         h,
         "=/x",
         1,
         {},
         {"add_regex_param(): Too short or empty regex parameter: /x"}},
        {"$removeparam=~/x",
         h,
         "=~/x",
         1,
         {},
         {"add_regex_param(): Too short or empty regex parameter: /x"}},
        {"$removeparam=a=b",
         h,
         "=a=b",
         1,
         {},
         {"add_text_param(): Parameter must not contain '=' characters: a=b"}},
        {"$removeparam=/x/ii",
         h,
         "=/x/ii",
         1,
         {},
         {"add_regex_param(): Duplicate regex option: i"}},
        {"$removeparam=/x/g", h, "=/x/g", 1, {}, {"add_regex_param(): Unknown regex option: g"}},
        {"$removeparam=/a/b/",
         h,
         "=/a/b/",
         1,
         {},
         {"add_regex_param(): Regex is malformed: /a/b/"}},
        {"$removeparam=/(/",
         h,
         "=/(/",
         1,
         {},
         {"add_regex_param(): Couldn't compile regexp '(': missing closing parenthesis "
          "(offset=1)"}},
        {"$removeparam=",
         h,
         "=",
         1,
         {},
         {"removeparam_extract(): Rule has malformed syntax: there must be some expression "
          "specified after equal sign"}},
        {"$removeparam=~",
         h,
         "=~",
         1,
         {},
         {"removeparam_extract(): Rule has malformed syntax: there must be some expression "
          "specified after equal sign"}},
        {"$removeparamx",
         h,
         "x",
         1,
         {},
         {"removeparam_extract(): Unexpected character: x, expected '=' (rule: "
          "$removeparamx)"}},
    });
}

TEST_F(NetworkModifiers, Removeheader) {
    Handler h = extract_removeheader;
    Check({
        {"||example.com^$removeheader=request:X-Client",
         h,
         "=request:X-Client",
         0,
         {.kind = "removeheader", .text = "X-Client"}},
        {"||example.com^$removeheader=Refresh",
         h,
         "=Refresh",
         0,
         {.kind = "removeheader", .is_response = true, .text = "Refresh"}},
        {"$removeheader=X Old Name",
         h,
         "=X Old Name",
         0,
         {.kind = "removeheader", .is_response = true, .text = "X Old Name"}},
        {"@@||example.com^$removeheader", h, "", 0, {}},
        {"@@||example.com^$removeheader=refresh",
         h,
         "=refresh",
         0,
         {.kind = "removeheader", .is_response = true, .text = "refresh"}},
        {"||example.com^$removeheader",
         h,
         "",
         1,
         {},
         {"extract_removeheader(): Blocking rule must have some header in parameters"}},
        {"$removeheader=Content-Type",
         h,
         "=Content-Type",
         1,
         {},
         {"removeheader_extract(): Forbidden header name"}},
        {"$removeheader=request:ORIGIN",
         h,
         "=request:ORIGIN",
         1,
         {},
         {"removeheader_extract(): Forbidden header name"}},
        {"$removeheader= content-type ",  // spaces do not hide a protected header
         h,
         "= content-type ",
         1,
         {},
         {"removeheader_extract(): Forbidden header name"}},
        {"$removeheader= ", h, "= ", 1, {}, {"removeheader_extract(): Invalid header name"}},
        {"$removeheader=x:y", h, "=x:y", 1, {}, {"removeheader_extract(): Invalid header name"}},
        {"$removeheader=", h, "=", 1, {}, {"removeheader_extract(): Invalid header name"}},
        {"$removeheader=request:",
         h,
         "=request:",
         1,
         {},
         {"removeheader_extract(): Invalid header name"}},
        {"$removeheader:x",
         h,
         ":x",
         1,
         {},
         {"removeheader_extract(): Unexpected character at parameter start: :"}},
    });
}

TEST_F(NetworkModifiers, Cookie) {
    Handler h = extract_cookie;
    const std::string kEnd = "cookierule_extract_modifiers(): rule has wrong syntax: ";
    const std::string kExpected =
        kEnd + "after 'cookie' option is expected '=<NAME>', or ';<modifier>'";
    Check({
        {"$cookie=/__utm[a-z]+/;maxAge=3600;sameSite=lax",
         h,
         "=/__utm[a-z]+/;maxAge=3600;sameSite=lax",
         0,
         {.kind = "cookie",
          .is_regex = true,
          .max_age = 3600,
          .same_site = COOKIE_SAME_SITE_LAX,
          .flags = COOKIE_RULE_REGEX | COOKIE_RULE_MAX_AGE},
         {},
         {"__utma", "x__utmz"},
         {"__UTMA", "__utm"}},
        {"$cookie=NAME; MAXAGE=-5 ; samesite=Strict",
         h,
         "=NAME; MAXAGE=-5 ; samesite=Strict",
         0,
         {.kind = "cookie",
          .max_age = -5,
          .same_site = COOKIE_SAME_SITE_STRICT,
          .flags = COOKIE_RULE_MAX_AGE,
          .text = "NAME"}},
        {"$cookie=a", h, "=a", 0, {.kind = "cookie", .text = "a"}},
        {"$cookie", h, "", 0, {.kind = "cookie"}},  // every cookie
        {"$cookie;maxAge=0", h, ";maxAge=0", 0, {.kind = "cookie", .flags = COOKIE_RULE_MAX_AGE}},
        {"$cookie=/a\\,b\\//",
         h,
         "=/a\\,b\\//",
         0,
         {.kind = "cookie", .is_regex = true, .flags = COOKIE_RULE_REGEX},
         {},
         {"xa,b/"},
         {"a,b"}},
        {"$cookie=/a\\$/",
         h,
         "=/a\\$/",
         0,
         {.kind = "cookie", .is_regex = true, .flags = COOKIE_RULE_REGEX},
         {},
         {"xa"},
         {"ab"}},
        {"$cookie=a;", h, "=a;", 1, {}, {kEnd + "modifiers string should not end with ';'"}},
        {"$cookie;", h, ";", 1, {}, {kEnd + "modifiers string should not end with ';'"}},
        {"$cookie=a b", h, "=a b", 1, {}, {kEnd + "cookie name should not contain ' '"}},
        {"$cookie=a\"b", h, "=a\"b", 1, {}, {kEnd + "cookie name should not contain '\"'"}},
        {"$cookie=a\\b", h, "=a\\b", 1, {}, {kEnd + "cookie name should not contain '\\'"}},
        {"$cookie=a{", h, "=a{", 1, {}, {kEnd + "cookie name should not contain '{'"}},
        {"$cookie=a\tb", h, "=a\tb", 1, {}, {kEnd + "cookie name should not contain '\t'"}},
        {"$cookie=a\x7f", h, "=a\x7f", 1, {}, {kEnd + "cookie name should not contain '\x7f'"}},
        {"$cookie=", h, "=", 1, {}, {kExpected}},
        {"$cookiex", h, "x", 1, {}, {kExpected}},
        {"$cookie=;maxAge=1", h, "=;maxAge=1", 1, {}, {kExpected}},
        {"$cookie=a;maxAge=1;maxAge=2",
         h,
         "=a;maxAge=1;maxAge=2",
         1,
         {},
         {kEnd + "found second 'maxAge' attribute"}},
        {"$cookie=a;maxAge=1h",
         h,
         "=a;maxAge=1h",
         1,
         {},
         {kEnd + "maxAge value should not contain 'h'"}},
        {"$cookie=a;maxAge=1-2",
         h,
         "=a;maxAge=1-2",
         1,
         {},
         {kEnd + "maxAge value should not contain '-'"}},
        {"$cookie=a;maxAge=", h, "=a;maxAge=", 1, {}, {kEnd + "wrong maxAge value ()"}},
        {"$cookie=a;maxAge=2147483648",
         h,
         "=a;maxAge=2147483648",
         1,
         {},
         {kEnd + "wrong maxAge value (2147483648)"}},
        {"$cookie=a;maxAge=-2147483648",
         h,
         "=a;maxAge=-2147483648",
         0,
         {.kind = "cookie", .max_age = INT32_MIN, .flags = COOKIE_RULE_MAX_AGE, .text = "a"}},
        {"$cookie=a;sameSite=none",
         h,
         "=a;sameSite=none",
         1,
         {},
         {kEnd + "wrong sameSite value (none)"}},
        {"$cookie=a;sameSite=lax;sameSite=lax",
         h,
         "=a;sameSite=lax;sameSite=lax",
         1,
         {},
         {kEnd + "found second 'sameSite' attribute"}},
        {"$cookie=a;secure", h, "=a;secure", 1, {}, {kEnd + "found unknown attribute (secure)"}},
        {"$cookie=a;;maxAge=1", h, "=a;;maxAge=1", 1, {}, {kEnd + "found unknown attribute ()"}},
        {"$cookie=/a$/",
         h,
         "=/a$/",
         1,
         {},
         {kEnd + "'$' character should be escaped with '\\' in regexp"}},
        {"$cookie=/a,b/",
         h,
         "=/a,b/",
         1,
         {},
         {kEnd + "',' character should be escaped with '\\' in regexp"}},
        {"$cookie=/ab", h, "=/ab", 1, {}, {kEnd + "regular expression should end with '/'"}},
        {"$cookie=/a\\/", h, "=/a\\/", 1, {}, {kEnd + "regular expression should end with '/'"}},
        {"$cookie=/a/b",
         h,
         "=/a/b",
         1,
         {},
         {kEnd + "regular expression should be in the </regexp/> format"}},
        {"$cookie=/(/",
         h,
         "=/(/",
         1,
         {},
         {"cookierule_extract_modifiers(): Failed to compile regular expression ((): missing "
          "closing parenthesis (offset=1)"}},
    });
}

TEST_F(NetworkModifiers, Hls) {
    Handler h = extract_hls;
    const char kDup[] = "||example.com^$hls=/x/tt";
    const char kOdd[] = "||example.com^$hls=/x/g";
    Check({
        {"||example.com^$hls=/#EXT-X-AD/t",
         h,
         "=/#EXT-X-AD/t",
         0,
         {.kind = "hls", .t = true, .text = "/#EXT-X-AD/t"},
         {},
         {"#EXT-X-AD:1"},
         {"#ext-x-ad"}},
        {"||example.com^$hls=/ad/it",
         h,
         "=/ad/it",
         0,
         {.kind = "hls", .t = true, .text = "/ad/it"},
         {},
         {"AD"},
         {"a"}},
        {"||example.com^$hls=/a\\/b\\,c/",
         h,
         "=/a\\/b\\,c/",
         0,
         {.kind = "hls", .text = "/a\\/b\\,c/"},
         {},
         {"a/b,c"},
         {"a/b\\,c"}},
        // A value starting with "/" is an expression closed by its last "/".
        {"||example.com^$hls=/ads/*.ts",
         h,
         "=/ads/*.ts",
         1,
         {},
         {"hls_extract(): Unrecognized regex option: '*', options='*.ts', "
          "rule='||example.com^$hls=/ads/*.ts')"}},
        {"||example.com^$hls=ad-segment\\,1",
         h,
         "=ad-segment\\,1",
         0,
         {.kind = "hls", .text = "ad-segment\\,1"},
         {},
         {"https://cdn.example/AD-SEGMENT,1.ts"},
         {"https://cdn.example/segment.ts"}},
        {"||example.com^$hls=ad-segment,match-case",
         h,
         "=ad-segment",
         0,
         {.kind = "hls", .text = "ad-segment"},
         {},
         {"https://cdn.example/ad-segment.ts"},
         {"https://cdn.example/AD-SEGMENT.ts"},
         RULE_CASE_SENSITIVE},
        {"@@||example.com^$hls", h, "", 0, {}},
        {"||example.com^$hls",
         h,
         "",
         1,
         {},
         {"extract_hls(): Non-exception HLS rule must have a modifier value, "
          "rule='||example.com^$hls'"}},
        {kDup,
         h,
         "=/x/tt",
         1,
         {},
         {std::string("hls_extract(): Duplicate regex option: 't', options='tt', rule='") + kDup +
          "'"}},
        {kOdd,
         h,
         "=/x/g",
         1,
         {},
         {std::string("hls_extract(): Unrecognized regex option: 'g', options='g', rule='") + kOdd +
          "')"}},
        {"||example.com^$hls=/x",
         h,
         "=/x",
         1,
         {},
         {"hls_extract(): Invalid regex syntax: no terminating '/', "
          "rule='||example.com^$hls=/x'"}},
        {"||example.com^$hls=",
         h,
         "=",
         1,
         {},
         {"hls_extract(): Modifier value is empty, rule='||example.com^$hls='"}},
        {"||example.com^$hlsx",
         h,
         "x",
         1,
         {},
         {"hls_extract(): Expected '=' after the modifier name, rule='||example.com^$hlsx'"}},
        // The caret sits under the offset PCRE2 reports.
        {"||example.com^$hls=/ab(c/",
         h,
         "=/ab(c/",
         1,
         {},
         {"hls_extract(): Failed to compile regex: rule='||example.com^$hls=/ab(c/'\n"
          "ab(c\n"
          "    ^\n"
          "missing closing parenthesis"}},
    });
}

TEST_F(NetworkModifiers, Stealth) {
    Handler h = extract_stealth;
    Check({
        {"@@||example.com^$stealth=push|webrtc",
         h,
         "=push|webrtc",
         0,
         {.kind = "stealth", .stealth = STEALTH_PUSH | STEALTH_WEBRTC}},
        {"@@||example.com^$stealth", h, "", 0, {.kind = "stealth", .stealth = 0xffff}},
        {"@@||example.com^$stealth= ip |\tdpi ",
         h,
         "= ip |\tdpi ",
         0,
         {.kind = "stealth", .stealth = STEALTH_IP | STEALTH_DPI}},
        {"@@$stealth=all 16",
         h,
         "=1p-cookie|3p-cookie|3p-cache|xclientdata|donottrack|ip|3p-auth|searchqueries|referrer|"
         "useragent|webrtc|push|location|flash|java|dpi",
         0,
         {.kind = "stealth", .stealth = 0xffff}},
        {"@@||example.com^$stealth=push|push",
         h,
         "=push|push",
         1,
         {},
         {"stealth_extract(): Duplicated stealth rule option: push"}},
        {"@@||example.com^$stealth=Push",
         h,
         "=Push",
         1,
         {},
         {"stealth_extract(): Unexpected stealth rule option: Push"}},
        {"@@||example.com^$stealth=push|",
         h,
         "=push|",
         1,
         {},
         {"stealth_extract(): Unexpected stealth rule option: "}},
        {"@@||example.com^$stealth=",
         h,
         "=",
         1,
         {},
         {"stealth_extract(): Rule has wrong syntax: expected set of disabled options"}},
        {"@@||example.com^$stealthpush",
         h,
         "push",
         1,
         {},
         {"stealth_extract(): Rule has wrong syntax: expected set of disabled options"}},
        {"||example.com^$stealth=push",
         h,
         "=push",
         1,
         {},
         {"extract_stealth(): Rule with 'stealth' modifier can't be blocking "
          "(||example.com^$stealth=push)"}},
        {"||example.com^$stealth",
         h,
         "",
         1,
         {},
         {"extract_stealth(): Rule with 'stealth' modifier can't be blocking "
          "(||example.com^$stealth)"}},
    });
}

TEST_F(NetworkModifiers, StealthOptionNames) {
    const char *names[] = {"1p-cookie",  "3p-cookie", "3p-cache", "xclientdata",
                           "donottrack", "ip",        "3p-auth",  "searchqueries",
                           "referrer",   "useragent", "webrtc",   "push",
                           "location",   "flash",     "java",     "dpi"};
    for (unsigned bit = 0; bit < 16; ++bit) {
        SCOPED_TRACE(bit);
        EXPECT_STREQ(stealth_option_name(bit), names[bit]);
    }
    EXPECT_EQ(stealth_option_name(16), nullptr);
}

TEST_F(NetworkModifiers, Replace) {
    Handler h = extract_replace;
    const std::string kRule = "||example.com^$replace=";
    Check({
        {"$replace=/a/b/", h, "=/a/b/", 0, {.kind = "replace", .text = "/a/b/"}},
        {"$replace=/a\\/b/c/", h, "=/a\\/b/c/", 0, {.kind = "replace", .text = "/a\\/b/c/"}},
        {"$replace=/a/b/is", h, "=/a/b/is", 0, {.kind = "replace", .text = "/a/b/is"}},
        {"$replace=/x//", h, "=/x//", 0, {.kind = "replace", .text = "/x//"}},
        {"$replace:/a/b/", h, ":/a/b/", 0, {.kind = "replace", .text = "/a/b/"}},  // first byte
        {"@@||example.com^$replace", h, "", 0, {}},
        {"||example.com^$replace",
         h,
         "",
         1,
         {},
         {"extract_replace(): option has no value (rule='||example.com^$replace')"}},
        {"$replace=/a/b",
         h,
         "=/a/b",
         1,
         {},
         {"extract_replace(): rule has invalid number of slashes in option - must be 3 "
          "(rule='$replace=/a/b')"}},
        {"$replace=/a/b/c/",
         h,
         "=/a/b/c/",
         1,
         {},
         {"extract_replace(): rule has invalid number of slashes in option - must be 3 "
          "(rule='$replace=/a/b/c/')"}},
        {"$replace=a/b/",
         h,
         "=a/b/",
         1,
         {},
         {"extract_replace(): option doesn't start with / (rule='$replace=a/b/')"}},
        {"$replace=",
         h,
         "=",
         1,
         {},
         {"extract_replace(): option doesn't start with / (rule='$replace=')"}},
        {"$replace=/a",
         h,
         "=/a",
         1,
         {},
         {"extract_replace(): option is less than 3 characters (rule='$replace=/a')"}},
        {"$replace=/a/b/ii",
         h,
         "=/a/b/ii",
         1,
         {},
         {"extract_replace(): found duplicated regex option ('i' -- full regex options='ii', "
          "rule='$replace=/a/b/ii')"}},
        {"$replace=/a/b/sg",
         h,
         "=/a/b/sg",
         1,
         {},
         {"extract_replace(): found unknown regex option ('g' -- full regex options='sg', "
          "rule='$replace=/a/b/sg')"}},
        {"$replace=/a(/b/",
         h,
         "=/a(/b/",
         1,
         {},
         {"extract_replace(): failed to compile regex in replace rule: rule='$replace=/a(/b/' "
          "regex='a(' error='missing closing parenthesis' offset=2"}},
    });
}

TEST_F(NetworkModifiers, Csp) {
    Handler h = extract_csp;
    Check({
        {"$csp=script-src 'self'",
         h,
         "=script-src 'self'",
         0,
         {.kind = "csp", .text = "script-src 'self'"}},
        // Pieces are not trimmed: " report-uri" does not start with the directive.
        {"$csp=script-src 'self'; report-uri /x",
         h,
         "=script-src 'self'; report-uri /x",
         0,
         {.kind = "csp", .text = "script-src 'self'; report-uri /x"}},
        {"$csp=script-src 'self';report-uri /x", h, "=script-src 'self';report-uri /x", 1, {}},
        {"$csp=Report-To x", h, "=Report-To x", 1, {}},
        {"$csp=a;;REPORT-URI", h, "=a;;REPORT-URI", 1, {}},
        {"@@||example.com^$csp", h, "", 0, {}},
        {"||example.com^$csp",
         h,
         "",
         1,
         {},
         {"extract_csp(): $csp without any options must be a whitelist rule: ||example.com^$csp"}},
        {"$csp=", h, "=", 1, {}, {"extract_csp(): $csp= option must have value"}},
        {"$cspx", h, "x", 1, {}, {"extract_csp(): $cspx is not a valid $csp option"}},
    });
}

TEST_F(NetworkModifiers, TracesEachCall) {
    struct TraceRow {
        std::string rule;
        Handler handler;
        std::string value;
        Messages traces;
    } rows[] = {
        {"$removeparam=x",
         extract_removeparam,
         "=x",
         {"extract_removeparam(): Called with rule: $removeparam=x -- option removeparam==x"}},
        {"@@$removeheader",
         extract_removeheader,
         "",
         {"extract_removeheader(): Called with rule: @@$removeheader -- option removeheader"}},
        {"$cookie",
         extract_cookie,
         "",
         {"extract_cookie(): Called with rule: $cookie -- option cookie",
          "extract_cookie(): option has no value"}},
        {"$hls=a", extract_hls, "=a", {"extract_hls(): Called with rule: $hls=a -- option hls=a"}},
        {"@@$stealth=ip",
         extract_stealth,
         "=ip",
         {"extract_stealth(): Called with rule: @@$stealth=ip -- option stealth=ip"}},
        {"$replace=/a/b/",
         extract_replace,
         "=/a/b/",
         {"extract_replace(): Called with rule: $replace=/a/b/ -- option replace==/a/b/"}},
        {"@@$csp",
         extract_csp,
         "",
         {"extract_csp(): Called with rule: @@$csp -- option $csp",
          "extract_csp(): $csp without any options"}},
    };
    for (const TraceRow &row : rows) {
        SCOPED_TRACE(row.rule);
        LogCapture capture(LOG_LEVEL_TRACE);
        cached_rule_t rule = MakeRule(row.rule);
        EXPECT_EQ(Run(row.handler, &rule, row.value), 0);
        EXPECT_EQ(capture.messages(LOG_LEVEL_TRACE), row.traces);
        EXPECT_EQ(capture.lines().size(), row.traces.size());
        rule_release(&rule);
    }
}

// A later option of the same kind replaces the earlier record (the sanitizer
// build reports the earlier one if it leaked); a failing one keeps it.
TEST_F(NetworkModifiers, LaterOptionReplacesEarlierOne) {
    struct Step {
        std::string value;
        int status;
        Record record;
    };
    struct ReplaceRow {
        std::string rule;
        Handler handler;
        std::vector<Step> steps;
    } rows[] = {
        {"@@$removeparam",
         extract_removeparam,
         {{"=a", 0, {.kind = "removeparam", .text = "a"}},
          {"=/b/", 0, {.kind = "removeparam", .is_regex = true}},
          {"=a=b", 1, {.kind = "removeparam", .is_regex = true}},
          {"", 0, {}}}},
        {"@@$removeheader",
         extract_removeheader,
         {{"=a", 0, {.kind = "removeheader", .is_response = true, .text = "a"}},
          {"=request:b", 0, {.kind = "removeheader", .text = "b"}},
          {"", 0, {}}}},
        {"$cookie",
         extract_cookie,
         {{"=/a/", 0, {.kind = "cookie", .is_regex = true, .flags = COOKIE_RULE_REGEX}},
          {"=b", 0, {.kind = "cookie", .text = "b"}},
          {"=b c", 1, {.kind = "cookie", .text = "b"}},
          {"", 0, {.kind = "cookie"}}}},
        {"@@$hls",
         extract_hls,
         {{"=a", 0, {.kind = "hls", .text = "a"}},
          {"=/b/t", 0, {.kind = "hls", .t = true, .text = "/b/t"}},
          {"", 0, {}}}},
        {"@@$stealth",
         extract_stealth,
         {{"=ip", 0, {.kind = "stealth", .stealth = STEALTH_IP}},
          {"=dpi", 0, {.kind = "stealth", .stealth = STEALTH_DPI}}}},
        {"@@$replace",
         extract_replace,
         {{"=/a/b/", 0, {.kind = "replace", .text = "/a/b/"}},
          {"=/c/d/", 0, {.kind = "replace", .text = "/c/d/"}},
          {"", 0, {}}}},
        {"@@$csp",
         extract_csp,
         {{"=a", 0, {.kind = "csp", .text = "a"}},
          {"=b", 0, {.kind = "csp", .text = "b"}},
          {"=report-to x", 1, {.kind = "csp", .text = "b"}},
          {"", 0, {}}}},
    };
    for (const ReplaceRow &row : rows) {
        SCOPED_TRACE(row.rule);
        LogCapture capture(LOG_LEVEL_ERROR);  // keeps expected warnings off stderr
        cached_rule_t rule = MakeRule(row.rule);
        for (const Step &step : row.steps) {
            SCOPED_TRACE(step.value);
            EXPECT_EQ(Run(row.handler, &rule, step.value), step.status);
            EXPECT_EQ(Breakdown(rule.options), step.record);
        }
        rule_release(&rule);
    }
}

// Values are (pointer, length): nothing past the end is read.
TEST_F(NetworkModifiers, ReadsOnlyTheValue) {
    Handler handlers[] = {extract_removeparam, extract_removeheader, extract_cookie, extract_hls,
                          extract_stealth,     extract_replace,      extract_csp};
    const std::string values[] = {"=",     "=/",        "=~", "=/a", "=a\\",
                                  "=/a\\", "=request:", ";",  "=a;x"};
    LogCapture capture(LOG_LEVEL_ERROR);
    const std::string text = "@@$x";
    for (Handler handler : handlers) {
        for (const std::string &value : values) {
            SCOPED_TRACE(value);
            // An exact-size heap copy lets the address sanitizer catch overreads.
            std::vector<char> exact(value.begin(), value.end());
            cached_rule_t rule = MakeRule(text);
            int status = handler(&engine_, &rule, exact.size(), exact.data());
            EXPECT_TRUE(status == 0 || status == 1) << status;
            rule_release(&rule);
        }
    }
}

}  // namespace
