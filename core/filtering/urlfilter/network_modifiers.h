// The value modifiers of network rules whose values have a syntax of their
// own: removeparam, removeheader, cookie, hls, stealth, replace and csp.
// Each extract_* handler gets the text after the option name ("=x" for
// "removeparam=x", "" when the option has no value), stores its record in the
// rule's options (creating them) and returns 0, 1 when the value is malformed
// (logged at WARN) or -1 when memory ran out (logged at ERROR). A handler that
// fails leaves nothing of its own behind in the rule.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/filtering/urlfilter/rule.h"
#include "core/filtering/urlfilter/urlfilter_context.h"

struct pcre2_real_code_8;

// Which query parameters a "$removeparam" rule strips. No record: all of them.
struct removeparam_t {
    int32_t negate;  // strip every parameter except the ones that match
    uint8_t is_regex;
    union {
        struct {
            pcre2_real_code_8 *regex;
            uint32_t regex_options;  // PCRE2_CASELESS or 0
        };
        struct {
            size_t name_len;
            char *name;  // owned, not NUL-terminated
        };
    };
};

// The header a "$removeheader" rule strips.
struct removeheader_t {
    int32_t is_response;  // 1 response header, 0 request header ("request:" prefix)
    char *name;           // owned, as written
};

enum : uint8_t {
    COOKIE_RULE_REGEX = 1,    // name_or_regex holds a compiled pattern
    COOKIE_RULE_MAX_AGE = 2,  // max_age is set
};
enum : int32_t {
    COOKIE_SAME_SITE_UNSET = 0,
    COOKIE_SAME_SITE_STRICT = 1,
    COOKIE_SAME_SITE_LAX = 2
};

// Which cookies a "$cookie" rule acts on, and how.
struct cookie_rule_t {
    void *name_or_regex;  // owned NUL-terminated name, compiled pattern, or null for every cookie
    int32_t max_age;
    int32_t same_site;  // COOKIE_SAME_SITE_*
    uint8_t flags;      // COOKIE_RULE_*
};

// Which playlist lines a "$hls" rule removes.
struct hls_rule_t {
    char *pattern;  // owned: the value after "="
    pcre2_real_code_8 *regex;
    bool t;  // the "t" option: match the segment's tag lines
};

// Stealth options a "$stealth" exception switches off: one bit each.
enum : uint16_t {
    STEALTH_1P_COOKIE = 1u << 0,
    STEALTH_3P_COOKIE = 1u << 1,
    STEALTH_3P_CACHE = 1u << 2,
    STEALTH_XCLIENTDATA = 1u << 3,
    STEALTH_DONOTTRACK = 1u << 4,
    STEALTH_IP = 1u << 5,
    STEALTH_3P_AUTH = 1u << 6,
    STEALTH_SEARCHQUERIES = 1u << 7,
    STEALTH_REFERRER = 1u << 8,
    STEALTH_USERAGENT = 1u << 9,
    STEALTH_WEBRTC = 1u << 10,
    STEALTH_PUSH = 1u << 11,
    STEALTH_LOCATION = 1u << 12,
    STEALTH_FLASH = 1u << 13,
    STEALTH_JAVA = 1u << 14,
    STEALTH_DPI = 1u << 15,
};
constexpr uint16_t STEALTH_ALL = 0xffff;

// "1p-cookie", "3p-cookie", ... for bits 0 to 15; null otherwise.
const char *stealth_option_name(unsigned bit);

int extract_removeparam(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                        const char *value);
int extract_removeheader(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                         const char *value);
int extract_cookie(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                   const char *value);
int extract_hls(urlfilter_context_t *engine, cached_rule_t *rule, size_t length, const char *value);
int extract_stealth(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                    const char *value);
int extract_replace(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                    const char *value);
int extract_csp(urlfilter_context_t *engine, cached_rule_t *rule, size_t length, const char *value);

void removeparam_free(removeparam_t *record);
void removeheader_free(removeheader_t *record);
void cookie_rule_free(cookie_rule_t *record);
void hls_rule_free(hls_rule_t *record);
