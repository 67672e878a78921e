// Small syntax questions about filter-list lines that the converter, the
// network rule parser and the cosmetic rule parser all ask: is a line a
// comment or a list header, and where does a delimiter sit outside the
// quotes, brackets, comments and function arguments of a selector or a
// scriptlet argument list. Nothing here allocates or logs.
#pragma once

#include <cstddef>

// True when the line is a comment: it starts with '!', or with '#' and a
// space (uBlock lists use "# " comments; "##" is a cosmetic rule).
bool is_comment_rule(const char *text, size_t length);

// True when the line is too short to be a rule (fewer than 4 bytes) or is a
// list header ("[Adblock Plus 2.0]").
bool is_list_header(const char *text, size_t length);

// Deepest nesting of open constructs find_top_level() follows: an open
// construct that would reach this depth ends the scan as not found.
constexpr size_t FIND_TOP_LEVEL_MAX_DEPTH = 31;

// Scans `text` left to right for the first occurrence of `delimiter` that is
// not inside a construct, and returns its offset, or -1 when there is none.
//
// Constructs: quotes ('...' and "...", with backslash escapes), parentheses,
// brackets and braces, /* comments */, the argument of :xpath(...) (where '/'
// and ':' are ordinary), and the raw argument of :contains(),
// :-abp-contains(), :has-text() and :matches-css() (a quoted string, a
// /regex/flags or plain text up to ')'). A backslash outside quotes escapes
// the next byte; "//" outside a construct ends the scan as not found. Bytes
// listed in `excluded` open nothing ('/' for the bracketed cosmetic prefix,
// where paths are written between slashes).
//
// With an empty `delimiter` the function checks nesting instead: 0 when every
// construct closes in order, -1 when a closing ')', ']' or '}' meets a
// different construct, a construct stays open, or the scan ends early.
ptrdiff_t find_top_level(const char *text, size_t length, const char *delimiter,
                         size_t delimiter_len, const char *excluded, size_t excluded_len);
