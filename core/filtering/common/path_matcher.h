// The path pattern of a cosmetic rule ("[$path=/page]", "[$path=/a*b|]",
// "[$path=/^\/x\d+/]"): plain patterns match as ordered '*'-separated parts
// without regular expressions; patterns between slashes or with '^' compile
// to PCRE2. The rule owns the matcher and frees it with path_matcher_free().
#pragma once

#include <cstddef>

#include "core/commons/logger.h"

struct pcre2_real_code_8;

enum path_matcher_kind_t {
    PATH_MATCHER_TEXT,   // ordered parts with optional anchors
    PATH_MATCHER_EXACT,  // the path must equal `text`
    PATH_MATCHER_REGEX,  // a compiled expression
};

struct path_part_t {
    const char *text;  // points into the matcher's `text`
    size_t length;
};

struct path_matcher_t {
    path_matcher_kind_t kind;
    char *text;  // TEXT: the pattern without anchors; EXACT: the exact path
    size_t text_length;
    path_part_t *parts;  // TEXT only
    size_t part_count;
    bool anchor_start;
    bool anchor_end;
    pcre2_real_code_8 *regex;  // REGEX only
};

// Parses a pattern. Returns null after logging why (at WARN) when the pattern
// is refused, or when memory ran out.
path_matcher_t *path_matcher_parse(logger_s *logger, size_t length, const char *pattern);

// An empty path never matches.
bool path_matcher_match(const path_matcher_t *matcher, size_t path_length, const char *path);

void path_matcher_free(path_matcher_t *matcher);
