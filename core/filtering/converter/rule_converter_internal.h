// The converter's instance and pattern table, shared by the conversion loop
// and the rewrite handlers (and by tests that look inside an instance).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/commons/logger.h"
#include "core/filtering/converter/rule_converter.h"

struct pcre2_real_code_8;

// Entries of the pattern table, in the order they are tried.
enum {
    CONV_HAS_TEXT = 0,
    CONV_HAS_TEXT_EXCEPTION,
    CONV_STYLE,
    CONV_STYLE_EXCEPTION,
    CONV_EXTENDED_STYLE,
    CONV_EXTENDED_STYLE_EXCEPTION,
    CONV_JS,
    CONV_JS_EXCEPTION,
    CONV_INJECT,
    CONV_INJECT_EXCEPTION,
    CONV_ABP_SNIPPET,
    CONV_EXTENDED_JS,
    CONV_EXTENDED_JS_EXCEPTION,
    CONV_INLINE_SCRIPT,
    CONV_INLINE_FONT,
    CONV_ALL,
    CONV_REWRITE,
    CONV_MP4,
    CONV_EMPTY,
    CONV_RESPONSE_HEADER,
    CONV_RESPONSE_HEADER_EXCEPTION,
    CONV_MATCHES_PATH,
    CONV_NOT_MATCHES_PATH,
    CONV_PATTERN_COUNT,
};

// How an entry's pre-check text is looked for before its pattern runs.
enum { PRECHECK_EXACT = 0, PRECHECK_NOCASE = 1 };

// A successful match of one entry's pattern against one rule text.
struct conv_match_t {
    const char *text;
    size_t length;
    const size_t *ovector;  // PCRE2 offset pairs
    uint32_t pairs;
};

// The text of capture group `n`; empty when the group is unset.
std::string_view conv_group(const conv_match_t *match, int n);
// The rule text before the start, and after the end, of capture group `n`
// (`n` must be set).
std::string_view conv_before_group(const conv_match_t *match, int n);
std::string_view conv_after_group(const conv_match_t *match, int n);

// A rewrite handler: given the entry index, the match and the entry's
// `group`, returns the rules the match rewrites to (none when the rule does
// not qualify or memory ran out).
using conv_handler_t = conv_rules_t (*)(rule_converter_s *converter, int index,
                                        const conv_match_t *match, int group);

struct conv_pattern_t {
    int precheck_mode;
    unsigned precheck_len;
    const char *precheck;
    unsigned pattern_len;
    const char *pattern;
    int group;  // the capture group the handler relies on
    conv_handler_t handler;
    pcre2_real_code_8 *code;  // null when the pattern failed to compile
};

struct rule_converter_s {
    logger_s *logger;
    conv_pattern_t table[CONV_PATTERN_COUNT];
};

conv_rules_t convert_has_text(rule_converter_s *converter, int index, const conv_match_t *match,
                              int group);
conv_rules_t convert_css(rule_converter_s *converter, int index, const conv_match_t *match,
                         int group);
conv_rules_t convert_ubo_scriptlet(rule_converter_s *converter, int index,
                                   const conv_match_t *match, int group);
conv_rules_t convert_abp_snippet(rule_converter_s *converter, int index, const conv_match_t *match,
                                 int group);
conv_rules_t convert_csp_option(rule_converter_s *converter, int index, const conv_match_t *match,
                                int group);
conv_rules_t convert_rewrite(rule_converter_s *converter, int index, const conv_match_t *match,
                             int group);
conv_rules_t convert_redirect_option(rule_converter_s *converter, int index,
                                     const conv_match_t *match, int group);
conv_rules_t convert_response_header(rule_converter_s *converter, int index,
                                     const conv_match_t *match, int group);
conv_rules_t convert_matches_path(rule_converter_s *converter, int index, const conv_match_t *match,
                                  int group);
conv_rules_t convert_not_matches_path(rule_converter_s *converter, int index,
                                      const conv_match_t *match, int group);
