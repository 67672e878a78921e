// Matches a network-rule URL pattern directly, without building and running
// the regular expression pattern_to_regex() makes of it. Almost every rule in
// real lists is such a plain pattern (anchors, literals, '*' and '^'), and a
// direct scan is several times cheaper than an expression engine's match,
// needs no compilation and keeps no compiled code in memory.
//
// The result is the expression's result for every subject without line
// breaks (where '.' and '$' would behave differently); callers keep using the
// expression for those subjects and for the patterns this does not support.
#pragma once

#include <cstddef>

// Whether plain_pattern_match() can answer for this pattern: not an
// expression written between slashes, no "^?" pair (a separator that may or
// may not be followed by '?'), and at most PLAIN_PATTERN_MAX_LENGTH bytes so
// that a scan stays short on the longest URLs.
#define PLAIN_PATTERN_MAX_LENGTH 512
bool plain_pattern_supported(const char *pattern, size_t length);

// Whether the pattern matches the subject. A case-insensitive pattern is
// matched against the lower-case form of the URL (ASCII letters folded), a
// case-sensitive one against the URL as it is.
bool plain_pattern_match(const char *pattern, size_t length, bool case_sensitive,
                         const char *subject, size_t subject_length);
