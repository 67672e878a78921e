// Network rule text to parsed rule: recognition ("@@||example.org^$image"
// is one, "example.org##.ad" and "! comment" are not), splitting off the
// options, rejecting over-broad rules, the shortcut literal that indexing
// uses, the text a badfilter rule cancels, and the pattern compiled on first
// use. The parsed record points into the caller's text (see rule.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/filtering/urlfilter/rule.h"
#include "core/filtering/urlfilter/urlfilter_context.h"

// How rule patterns compile: PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
// PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UTF, plus PCRE2_CASELESS unless the
// rule is case-sensitive. URLs are bytes, not UTF-8 text.
constexpr uint32_t RULE_PATTERN_COMPILE_OPTIONS = 0x1203;

// parse_rule() and option results.
enum {
    RULE_PARSE_OK = 0,
    RULE_PARSE_REJECTED = 1,  // not a network rule, or malformed (logged at WARN)
    RULE_PARSE_UNKNOWN = 2,   // an unknown option (options only)
    RULE_PARSE_SILENT = 3,    // rejected on purpose, without a message ("$all")
    RULE_PARSE_FAILED = -1,   // memory or PCRE2 failure
};

// True when the text (leading spaces and tabs allowed) is shaped like a
// network rule: not a comment, list header, cosmetic rule or too short.
bool rule_text_is_network(const char *text, size_t length);

// Parses one rule text of `length` bytes into `rule`. A text that is not a
// network rule at all (comment, header, cosmetic rule) returns 1 without a
// message and leaves `rule` untouched; after any other non-zero status the
// record is released and empty.
int parse_rule(urlfilter_context_t *engine, const char *text, size_t length, int32_t user_tag,
               cached_rule_t *rule);

// Parses the option list (the bytes after the '$') of a rule being parsed.
// Returns 0, 1, 2 (the '$' belongs to the pattern), 3 or -1.
int parse_rule_options(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                       const char *options);

// Parses one option. Returns 0 accepted, 1 rejected, 2 unknown, 3 reject the
// rule silently, -1 failure.
int parse_rule_option(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                      const char *option);

// Checks the parsed options against each other; false rejects the rule.
bool validate_rule_options(urlfilter_context_t *engine, cached_rule_t *rule);

// True when the rule's pattern names where the URL starts (a '|' anchor or a
// regular expression), as "$denyallow" rules may not.
bool pattern_targets_domain(const cached_rule_t *rule);

// Sets the rule's shortcut. Returns 0, or -1 when memory ran out.
int extract_shortcut(urlfilter_context_t *engine, cached_rule_t *rule);

// The shortcut of a regular-expression pattern (the bytes between the
// slashes); leaves the rule without one when none can be taken. Returns 0, or
// -1 when memory ran out.
int extract_regex_shortcut(urlfilter_context_t *engine, cached_rule_t *rule, const char *pattern,
                           size_t length);

// Stores the rule text without its badfilter option in the rule's options.
// Returns 0 or -1.
int prepare_badfilter_ruletext(urlfilter_context_t *engine, cached_rule_t *rule);

// Compiles the rule's pattern into rule->regex. Returns 0, or -1 after logging
// why.
int urlfilter_compile_rule(urlfilter_context_t *engine, cached_rule_t *rule);

// Parses the rule's text again into an independent record that owns a copy of
// the text and keeps the rule's tag. Clones resolve "$redirect=" names in one
// process-wide copy of the built-in resources (immutable, loaded on first
// use) rather than loading their own each time. Returns false when the parse
// fails.
bool rule_clone(const cached_rule_t *rule, cached_rule_t *clone);
