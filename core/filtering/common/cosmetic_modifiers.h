// The bracketed modifier prefix of cosmetic rules:
//   [$app=a.exe|~b.exe,domain=example.org|~ads.example.org,path=/page]##.ad
// Modifiers are separated by ',' and the list ends at the first unescaped ']'.
// Inside a value, a backslash makes the next '[', ']', '\' or ',' literal;
// any other backslash is kept (so path expressions keep their "\d").
// The rule owns the parsed record and frees it with cosmetic_modifiers_release().
#pragma once

#include <cstddef>

#include "core/commons/logger.h"
#include "core/filtering/common/path_matcher.h"
#include "core/filtering/common/rule_apps.h"
#include "core/filtering/common/rule_domains.h"

struct cosmetic_modifiers_t {
    rule_apps_t apps;
    path_matcher_t *path;  // null when the rule has no path restriction
};

// Where a modifier's value goes: the modifier record, plus the domain list
// and generic flag of the rule that carries it.
struct cosmetic_modifier_target_t {
    cosmetic_modifiers_t *modifiers;
    rule_domains_t *domains;
    bool *generic;
};

struct cosmetic_modifier_desc_t {
    const char *name;  // "path=" takes a value; "path" does not
    bool value_required;
    const char *special_chars;  // bytes a backslash makes literal in the value
    int (*handler)(const char *value, size_t length, cosmetic_modifier_target_t *target,
                   logger_s *logger);
};

extern const cosmetic_modifier_desc_t COSMETIC_MODIFIERS[];
extern const size_t COSMETIC_MODIFIER_COUNT;

// Parses the prefix at the start of `text`, if there is one. On success
// returns 0 and sets `*consumed` to the prefix length (0 when the text does
// not start with "[$"). Returns -1 after logging why (at WARN) on a malformed
// prefix; then nothing in `target` has changed.
int cosmetic_modifiers_parse(const char *text, size_t length, size_t *consumed,
                             cosmetic_modifier_target_t *target, logger_s *logger);

void cosmetic_modifiers_release(cosmetic_modifiers_t *modifiers);
