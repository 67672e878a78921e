// The cosmetic rule parser: one rule text into a cosmetic_rule_t that the
// caller owns and releases with cosmetic_rule_free().
//
//   [$app=a.exe,path=/page]example.org,~sub.example.org##.ad
//   modifier prefix        domain prefix                marker content
//
// The first '#' or '$' after the modifier prefix must start a marker:
//   "##", "#@#"            element hiding; extended when the selector uses
//                          an extended pseudo-class (below)
//   "#?#", "#@?#"          element hiding, always extended
//   "#$#", "#@$#"          style rule: `selector { declarations }`
//   "#?$#", "#@?$#"        extended style rule (also spelt "#$?#", "#@$?#",
//                          the form the rule converter writes)
//   "#%#", "#@%#"          script rule; "//scriptlet(...)" calls a scriptlet
//   "##^", "#@#^", "$$", "$@$"   HTML filtering: never parsed here
// A marker with '@' makes an exception rule. Script rules take their `order`
// from the parser's count of script rules it accepted before, so scripts
// render in the order their rules arrived.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/commons/logger.h"
#include "core/filtering/cosmetic/cosmetic_rule.h"

// Rule families a parser takes (cosmetic_parser_t::families); the markers of
// the others are "not a cosmetic rule" to it.
enum : uint8_t {
    COSMETIC_FAMILY_CSS = 1u << 0,     // element hiding and style rules
    COSMETIC_FAMILY_SCRIPT = 1u << 1,  // "#%#" and "#@%#"
};

// The index of the scriptlet that has this name (canonical or alias, as the
// rule writes it) in the scriptlets base, or -1 when none has.
using scriptlet_lookup_fn = int32_t (*)(const void *arg, const char *name, size_t length);

struct cosmetic_parser_t {
    logger_s *logger;  // borrowed; may be null
    uint8_t families;
    scriptlet_lookup_fn lookup;  // null: every scriptlet is unknown (-1)
    const void *lookup_arg;
    int32_t script_count;  // script rules accepted so far: the next one's order
};

// cosmetic_parse_rule() results.
enum {
    COSMETIC_PARSE_OK = 0,
    COSMETIC_PARSE_REJECTED = 1,      // logged at WARN
    COSMETIC_PARSE_NOT_COSMETIC = 2,  // not a rule of the parser's families
    COSMETIC_PARSE_NO_MEMORY = -1,    // logged at ERROR
};

// Parses one rule. On COSMETIC_PARSE_OK `*out` holds the rule; otherwise it
// is null. Comments, list headers (and so texts shorter than 4 bytes), texts
// without a marker, HTML filtering rules, rules of other families and
// foreign forms the rule converter rewrites (uBlock "##+js(...)",
// "##script:inject(...)", ":style(...)", ":matches-path(...)", Adblock Plus
// "#$#" snippets without braces) are COSMETIC_PARSE_NOT_COSMETIC, silently.
// A text starting with a modifier prefix must go on with a cosmetic rule.
// An unknown scriptlet name is accepted with base_index -1: the script
// filter reports it when it renders the rule.
int cosmetic_parse_rule(cosmetic_parser_t *parser, const char *text, size_t length,
                        cosmetic_rule_t **out);

// Reads the domains of a parsed rule again from its text (the modifier
// prefix's "domain=" and the domain prefix), into `out` (which must be
// empty) and `*generic`, leaving the rule alone: the rule storage uses it to
// undo folded exceptions. Returns 0, or -1 after logging why.
int cosmetic_parse_domains(const cosmetic_rule_t *rule, rule_domains_t *out, bool *generic,
                           logger_s *logger);
