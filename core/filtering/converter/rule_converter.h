// The rule converter: rewrites a rule written for another ad blocker
// (uBlock-style +js(), :style(), ##^script:has-text(), ##^responseheader(),
// :matches-path(), Adblock Plus #$# snippets, and the inline-script,
// inline-font, all, mp4, empty and rewrite=abp-resource: options) into the
// native rules that mean the same, using a fixed table of 23 patterns, each
// paired with a rewrite handler. Every string it returns is a malloc'ed
// buffer owned by the caller until conv_rules_free(). No call lets an
// exception out; running out of memory makes a conversion yield nothing.
#pragma once

#include <cstddef>
#include <cstdint>

// A growable byte string, NUL-terminated at `length`. Capacity grows through
// 1, 3, 7, 15, ... until it exceeds the length it has to hold.
struct conv_str_t {
    char *data;
    uint32_t capacity;
    uint32_t length;
};

// A conversion result: `count` strings in the order they were produced.
struct conv_rules_t {
    uint32_t count;
    conv_str_t *rules;
};

// One converter: a logger and the compiled pattern table. It has no lock:
// calls on one instance must not overlap.
struct rule_converter_s;

// Creates a converter and compiles its patterns (a pattern that fails to
// compile is logged and skipped from then on). Returns null when memory runs
// out.
rule_converter_s *rule_converter_alloc();

// Releases a converter; null is ignored.
void rule_converter_free(rule_converter_s *converter);

// Converts one rule text of `length` bytes. Returns the native rules it
// stands for; count 0 means the rule is not convertible (comments, list
// headers and rules no pattern rewrites, or memory ran out). The input
// itself is never part of the result.
conv_rules_t convert_rule(rule_converter_s *converter, const char *rule, size_t length);

// Frees every string of `rules` and the array, and leaves it empty.
void conv_rules_free(conv_rules_t *rules);
