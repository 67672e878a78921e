// Building the converter's output strings and lists with malloc and realloc
// only, so that running out of memory is a false result and never an
// exception. Every function that takes a string or list keeps it valid (and
// NUL-terminated) whether it succeeds or not.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/commons/logger.h"
#include "core/filtering/converter/rule_converter.h"

// Makes room for `length` bytes plus the terminating NUL, growing the
// capacity through 1, 3, 7, 15, ... until it exceeds `length`. Returns false
// when memory ran out.
bool conv_str_reserve(conv_str_t *s, size_t length);

// Appends bytes. Returns false when memory ran out (the string is unchanged).
bool conv_str_append(conv_str_t *s, std::string_view bytes);

// Appends printf-formatted text. Returns false when memory ran out or the
// format failed (the string is unchanged).
bool conv_str_appendf(conv_str_t *s, const char *format, ...) OV_PRINTF(2, 3);

// Appends `bytes` with every `from` byte written as `to`. Returns false when
// memory ran out (the string may then hold part of the text).
bool conv_str_append_replacing(conv_str_t *s, std::string_view bytes, char from,
                               std::string_view to);

// Frees the string's buffer and leaves it empty.
void conv_str_free(conv_str_t *s);

// Moves `*s` to the end of `rules` and leaves `*s` empty. When memory runs
// out the string is freed instead and the result is false.
bool conv_rules_push(conv_rules_t *rules, conv_str_t *s);

// Moves every string of `from` to the end of `to` and leaves `from` empty.
// When memory runs out the strings not moved are freed and the result is
// false.
bool conv_rules_move_all(conv_rules_t *to, conv_rules_t *from);

// The usual handler ending: a list holding `*s` when `built` is true (and
// memory allows), otherwise an empty list; `*s` is consumed either way.
conv_rules_t conv_rules_single(conv_str_t *s, bool built);
