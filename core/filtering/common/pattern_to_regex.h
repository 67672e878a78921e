// Turns a network-rule URL pattern ("||example.org^*.js|") into the regular
// expression it stands for. Patterns written between slashes are already
// expressions and are returned as they are.
#pragma once

#include <cstddef>

// What a separator ('^') matches: any byte that cannot be part of a host name
// or a plain path word, or the end of the URL.
#define RULE_SEPARATOR_CLASS "([^ a-zA-Z0-9.%_-]|$)"

// Returns a malloc'ed NUL-terminated expression that the caller frees, or null
// when memory runs out.
char *pattern_to_regex(const char *pattern, size_t length);
