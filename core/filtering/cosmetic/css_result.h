// The CSS text a build returns: selectors joined into groups that hide
// their elements, and style blocks as written.
//   .a, .b, .c { display: none!important; }
//   .d { color: red }
//   div:has(.e) { display: none!important; }
// A group holds at most CSS_GROUP_MAX selectors; an extended selector stands
// in a group of its own (the extended engine takes one selector per block)
// and a style block is never merged into a group. The text is malloc'ed;
// css_result_finish() hands it to the caller, who frees it with free().
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/commons/logger.h"
#include "core/filtering/cosmetic/cosmetic_rule.h"

// Most selectors in one group.
constexpr uint32_t CSS_GROUP_MAX = 250;

// A growable byte string: NUL-terminated at `length` once anything was
// appended, all-zero before. Growth doubles the capacity and adds one until
// the text and its terminator fit.
struct css_result_t {
    char *data;
    size_t capacity;
    size_t length;
    uint32_t group_count;  // selectors in the open group
};

// Appends bytes. Returns 0, or -1 when memory ran out: the buffer is then
// released and all-zero.
int css_result_append(css_result_t *result, const char *bytes, size_t length);

// Appends one rule: a style block on its own line, or a selector to the open
// group (closing it when full or when the selector is extended). Logs
// "add_rule_to_result(): Called with rule: ..." at TRACE. Returns 0, or -1
// when memory ran out (the buffer is released).
int add_rule_to_result(css_result_t *result, const cosmetic_rule_t *rule, logger_s *logger);

// Closes the open group and returns the text, or null when nothing was
// appended or memory ran out. The result is left all-zero either way.
char *css_result_finish(css_result_t *result);

// Frees the buffer and leaves it all-zero.
void css_result_release(css_result_t *result);
