// One cosmetic rule as the element-hiding and script filters hold it: its
// text, what it applies to (domains, apps, path), the selector, style block or
// script after its marker, and for script rules how they render. A rule owns
// everything it points to; cosmetic_rule_free() releases it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/filtering/common/cosmetic_modifiers.h"
#include "core/filtering/common/rule_domains.h"

// cosmetic_rule_t::flags
enum : uint8_t {
    COSMETIC_EXCEPTION = 1u << 0,  // a marker with "@"
    COSMETIC_GENERIC = 1u << 1,    // no permitted domain: applies everywhere not restricted
};

// cosmetic_rule_t::kind
enum : uint8_t {
    COSMETIC_STYLE = 1u << 0,     // content is a selector with declarations in braces
    COSMETIC_EXTENDED = 1u << 1,  // evaluated by the page-side extended-CSS engine
};

// cosmetic_rule_t::script_kind
enum : uint8_t {
    COSMETIC_SCRIPT_PLAIN = 0,      // content is a script text
    COSMETIC_SCRIPT_SCRIPTLET = 1,  // `call` names a scriptlet of the base
};

struct cosmetic_text_t {
    size_t length;
    const char *text;  // into the rule's text or call record; not NUL-terminated
};

// A scriptlet call: //scriptlet('name', 'arg', ...). Owned by its rule.
struct scriptlet_call_t {
    int32_t base_index;  // position of the scriptlet in the base, -1 when unknown
    cosmetic_text_t name;
    cosmetic_text_t *args;  // unquoted, unescaped; into `storage`
    uint32_t arg_count;
    char *storage;
};

struct cosmetic_rule_t {
    uint8_t flags;
    rule_domains_t domains;
    cosmetic_modifiers_t *modifiers;  // null without a bracketed prefix
    char *text;                       // the whole rule, NUL-terminated
    char *content;                    // after the marker, NUL-terminated
    uint8_t kind;
    // Where the marker ("##", "#%#", "#@%#", ...) begins in `text`; script
    // rules pair with their exceptions on the text after it.
    uint32_t marker_pos;
    // Script rules only.
    uint8_t script_kind;
    int32_t order;           // scripts render in ascending order
    scriptlet_call_t *call;  // scriptlet rules: the call record
};

bool cosmetic_rule_is_exception(const cosmetic_rule_t *rule);
bool cosmetic_rule_has_domains(const cosmetic_rule_t *rule);
// Apps restricted (permitted or not) by the bracketed prefix.
bool cosmetic_rule_has_apps(const cosmetic_rule_t *rule);
bool cosmetic_rule_has_path(const cosmetic_rule_t *rule);

// Frees the call record, its arguments and their storage; null is accepted.
void scriptlet_call_free(scriptlet_call_t *call);

// Frees the rule and everything it owns; null is accepted.
void cosmetic_rule_free(cosmetic_rule_t *rule);
