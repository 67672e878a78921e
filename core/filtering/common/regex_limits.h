// Running rule-supplied regular expressions against request data without
// letting one of them run away: every match goes through one process-wide
// PCRE2 match context with a match limit and a depth limit.
#pragma once

#include <cstddef>

struct pcre2_real_code_8;
struct pcre2_real_match_context_8;

// Backtracking steps one match may take. Ordinary rule expressions need a few
// hundred on real URLs; a catastrophic one on a hostile 16 KiB URL would need
// billions, so a million stops it within milliseconds.
constexpr unsigned REGEX_MATCH_LIMIT = 1000000;
// Nested backtracking frames one match may hold.
constexpr unsigned REGEX_DEPTH_LIMIT = 10000;

// The shared read-only match context (never null).
pcre2_real_match_context_8 *regex_match_context();

// Matches from offset 0 without JIT. Returns 1 on a match, 0 when there is
// none, or the negative PCRE2 error (for example the match or depth limit).
int regex_match(const pcre2_real_code_8 *code, const char *subject, size_t length);

// regex_match() as a yes/no answer: errors count as no match.
bool regex_limited_match(const pcre2_real_code_8 *code, const char *subject, size_t length);
