// The network rule engine: rules added as text are indexed by domain, by a
// five-byte piece of their shortcut or as leftovers, parsed on demand into a
// bounded cache, and matched against a request with its referrer. The engine
// is not thread-safe: its owner serialises every call. Results belong to the
// caller (urlfilter_multirules_free()).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/commons/logger.h"
#include "core/filtering/urlfilter/urlfilter_results.h"

struct urlfilter_s;
struct redirect_resources_t;

// Request flags.
enum : uint8_t {
    URLFILTER_SKIP_APP_CHECK = 1,
    URLFILTER_SKIP_DOMAIN_CHECK = 2,
    URLFILTER_THIRD_PARTY = 4,  // the request is third-party
    URLFILTER_PARTY_GIVEN = 8,  // take the party from bit 2, do not compute it
};

struct urlfilter_text_t {
    uint32_t length;
    const char *text;
};

struct urlfilter_request_t {
    uint32_t url_len;
    const char *url;  // NUL-terminated
    uint32_t referrer_len;
    const char *referrer;   // 0 length when there is none
    uint32_t request_type;  // CONTENT_* bits; 0 when unknown
    uint32_t app_name_len;
    const char *app_name;   // NUL-terminated, or null
    uint8_t request_flags;  // URLFILTER_* flags above
    uint32_t excluded_count;
    const urlfilter_text_t *excluded;  // rule texts that must not match
    int32_t reserved;
};

// Longest URL (all its components together) the engine parses.
constexpr size_t URLFILTER_URL_MAX = 16384;

// Rules kept parsed at once by default.
constexpr uint32_t URLFILTER_DEFAULT_CACHE_CAPACITY = 4096;

// Creates an engine logging through `logger` (borrowed). Returns null when
// memory runs out.
urlfilter_s *urlfilter_new(logger_s *logger, uint32_t cache_capacity);
void urlfilter_free(urlfilter_s *engine);

// urlfilter_addrule() results.
enum { URLFILTER_ADDED = 0, URLFILTER_NOT_ADDED = 1, URLFILTER_DUPLICATE = 4 };

// Adds one rule text. Returns 0 when added, 4 when the same text is already
// there (the engine keeps one), or the parser's status otherwise: 1 not a
// network rule, rejected, or holding a NUL byte, 3 rejected silently, -1
// failure.
int urlfilter_addrule(urlfilter_s *engine, const char *text, size_t length, int32_t user_tag);

// Removes a rule by its text. Returns 0 when removed, 1 when not present.
int urlfilter_clearrule(urlfilter_s *engine, const char *text);

// The redirect resources "$redirect=" names resolve in (null when they failed
// to load); immutable, lives as long as the engine.
const redirect_resources_t *urlfilter_redirects(const urlfilter_s *engine);

// Number of rules in the engine.
size_t urlfilter_rule_count(const urlfilter_s *engine);

// Matches a request. An unparsable URL gives an empty result.
urlfilter_multirules_t urlfilter_matchurl(urlfilter_s *engine, const urlfilter_request_t *request);

// Matches one given rule text instead of the index: the result holds the
// referrer's page-level rules and, when a badfilter rule disables the given
// rule, that badfilter rule.
urlfilter_multirules_t urlfilter_match_rule_text(urlfilter_s *engine, const char *text,
                                                 size_t length, const urlfilter_request_t *request);
