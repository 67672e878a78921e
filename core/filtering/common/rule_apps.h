// The application list of a rule ("app=" values, "[$app=...]" modifiers):
// which requesting applications it applies to ("firefox.exe") and which it
// must not ("~firefox.exe"). Names compare exactly. The rule owns the sets and
// releases them with rule_apps_release().
#pragma once

#include <cstddef>

#include "core/commons/logger.h"
#include "core/filtering/common/string_set.h"

struct rule_apps_t {
    string_set_t *permitted;
    string_set_t *restricted;
};

// Parses a '|'-separated app list into `out` (which it overwrites). Returns 0,
// or -1 after logging the reason, with `out` left empty.
int rulecommon_extract_apps(const char *text, size_t length, rule_apps_t *out, logger_s *logger);

// True when the app (null or empty when unknown) passes the list; a null record
// or an empty list passes every app.
bool match_rule_apps(const char *app_name, const rule_apps_t *apps);

void rule_apps_release(rule_apps_t *apps);
