// A parsed network rule: what parse_rule() makes of one rule text. The
// record points into the rule text (the engine's storage owns it, or the rule
// itself after rule_clone()); it owns its shortcut, its compiled pattern and
// its options. Rules are immutable once published, except for the pattern,
// compiled on first match, and the tag and id the storage sets.
#pragma once

#include <cstdint>
#include <memory>

struct pcre2_real_code_8;
struct rule_options_t;
struct cached_rule_t;

// Rules are shared between the storage, its cache and match results; the
// count is atomic and the last owner releases the rule.
using rule_ptr = std::shared_ptr<cached_rule_t>;

// Rule flags; rule_flag_name() gives the names messages use.
enum : uint32_t {
    RULE_CASE_SENSITIVE = 1u << 0,
    RULE_WHITELIST = 1u << 1,
    RULE_IMPORTANT = 1u << 2,
    RULE_GENERICBLOCK = 1u << 3,
    RULE_POPUP = 1u << 4,
    RULE_REPLACE = 1u << 5,
    RULE_GENERICHIDE = 1u << 6,
    RULE_ELEMHIDE = 1u << 7,
    RULE_JSINJECT = 1u << 8,
    RULE_CONTENT = 1u << 9,
    RULE_URLBLOCK = 1u << 10,
    RULE_NETWORK = 1u << 11,
    RULE_DOCUMENT = 1u << 12,
    RULE_CSP = 1u << 13,
    RULE_BADFILTER = 1u << 14,
    RULE_EXTENSION = 1u << 15,
    RULE_STEALTH = 1u << 16,
    RULE_COOKIE = 1u << 17,
    RULE_REDIRECT = 1u << 18,
    RULE_REMOVEPARAM = 1u << 19,
    RULE_SPECIFICHIDE = 1u << 20,
    RULE_REMOVEHEADER = 1u << 21,
    RULE_HLS = 1u << 22,
};
constexpr unsigned RULE_FLAG_COUNT = 23;

// "CASE_SENSITIVE", "WHITELIST", ... for bits 0 to 22; null otherwise.
const char *rule_flag_name(unsigned bit);

// Which parties a rule applies to.
enum : int32_t { RULE_PARTY_ANY = 0, RULE_PARTY_THIRD = 1, RULE_PARTY_FIRST = 2 };

struct cached_rule_t {
    uint32_t text_len;
    const char *text;  // the rule text after leading blanks; not NUL-terminated
    uint32_t flags;
    int32_t user_tag;  // the caller's tag, copied into match results
    int32_t id;        // the rule's id in the engine's storage
    uint32_t pattern_len;
    const char *pattern;       // inside `text`
    char *shortcut;            // owned, lower case; null when the pattern has none
    pcre2_real_code_8 *regex;  // owned; compiled on first use
    rule_options_t *options;   // owned; null until an option needs it
    int32_t party;             // RULE_PARTY_*
    char *owned_text;          // the copy `text` points into when the rule owns it
    // Set on a view: a shallow copy (with a tag of its own) that borrows every
    // pointer from a shared rule and holds this handle to keep it alive.
    rule_ptr *owner;
};

// Frees what the rule owns (for a view: drops its handle) and zeroes the
// record (the record itself is the caller's).
void rule_release(cached_rule_t *rule);

// Makes `view` a view of `*rule` (which may itself be a view) with the rule's
// own tag. Returns false when memory runs out.
bool rule_view(const cached_rule_t *rule, cached_rule_t *view);

// Moves a parsed record into a new shared rule. Returns null when memory runs
// out (the record is then released).
rule_ptr rule_share(cached_rule_t *rule);
