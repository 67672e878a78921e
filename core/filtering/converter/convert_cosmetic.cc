// Rewrite handlers for cosmetic forms: ##^script:has-text(), :style(),
// ##^responseheader() and the :matches-path() restrictions. Except for
// :style(), whose rule is rewritten by substitution, the entries lay their
// groups out around the marker group `group`: the rule before the marker at
// `group - 1`, the argument at `group + 1`, the rest at `group + 2`.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/commons/strview.h"
#include "core/filtering/common/pattern_to_regex.h"
#include "core/filtering/common/regex_limits.h"
#include "core/filtering/converter/conv_str.h"
#include "core/filtering/converter/rule_converter_internal.h"

namespace {

// Longest script text the rewritten HTML rule inspects.
constexpr int kScriptMaxLength = 262144;

// Longest PCRE2 error text we report.
constexpr size_t kErrorTextMax = 256;

// Native markers of the four :style() entries, in table order, with '$'
// doubled because they go into a PCRE2 replacement string.
const char *const kStyleMarkers[] = {"#$$#", "#@$$#", "#$$?#", "#@$$?#"};

// Runs the entry's own pattern as a substitution into `out`: one pass learns
// the size the output needs, the second writes it.
int substitute(const pcre2_code *code, const conv_match_t *match, const char *replacement,
               conv_str_t *out) {
    auto subject = reinterpret_cast<PCRE2_SPTR>(match->text);
    auto text = reinterpret_cast<PCRE2_SPTR>(replacement);
    PCRE2_UCHAR probe[1];
    PCRE2_SIZE size = 0;
    int rc =
        pcre2_substitute(code, subject, match->length, 0, PCRE2_SUBSTITUTE_OVERFLOW_LENGTH, nullptr,
                         regex_match_context(), text, PCRE2_ZERO_TERMINATED, probe, &size);
    if (rc != PCRE2_ERROR_NOMEMORY) {
        return rc;
    }
    if (!conv_str_reserve(out, size)) {
        return PCRE2_ERROR_NOMEMORY;
    }
    size = out->capacity;
    rc = pcre2_substitute(code, subject, match->length, 0, PCRE2_SUBSTITUTE_OVERFLOW_LENGTH,
                          nullptr, regex_match_context(), text, PCRE2_ZERO_TERMINATED,
                          reinterpret_cast<PCRE2_UCHAR *>(out->data), &size);
    if (rc >= 0) {
        out->length = static_cast<uint32_t>(size);
    }
    return rc;
}

}  // namespace

conv_rules_t convert_has_text(rule_converter_s *, int index, const conv_match_t *match, int group) {
    const char *marker = index == CONV_HAS_TEXT_EXCEPTION ? "$@$" : "$$";
    conv_str_t out{};
    // Attribute values quote '"' by doubling it.
    bool built = conv_str_append(&out, conv_group(match, group - 1)) &&
                 conv_str_appendf(&out, "%sscript[tag-content=\"", marker) &&
                 conv_str_append_replacing(&out, conv_group(match, group + 1), '"', "\"\"") &&
                 conv_str_appendf(&out, "\"][max-length=\"%d\"]", kScriptMaxLength);
    return conv_rules_single(&out, built);
}

// Domains in group 1, selector in 2, style in 3; a rule with more than
// whitespace after the style (a selector going on, or a second ')') is not
// a plain style rule.
conv_rules_t convert_css(rule_converter_s *converter, int index, const conv_match_t *match,
                         int group) {
    if (!strview::trim(conv_group(match, group + 3)).empty()) {
        return {};
    }
    char replacement[32];
    snprintf(replacement, sizeof replacement, "$1%s$2 { $3 }", kStyleMarkers[index - CONV_STYLE]);
    conv_str_t out{};
    int rc = substitute(converter->table[index].code, match, replacement, &out);
    if (rc < 0 && rc != PCRE2_ERROR_NOMEMORY) {
        char text[kErrorTextMax];
        pcre2_get_error_message(rc, reinterpret_cast<PCRE2_UCHAR *>(text), sizeof text);
        logger_log(converter->logger, LOG_LEVEL_ERROR,
                   "%s(): Couldn't execute PCRE command to convert uBlock style %s -- %s",
                   "convert_css", match->text, text);
    }
    return conv_rules_single(&out, rc > 0);
}

conv_rules_t convert_response_header(rule_converter_s *, int index, const conv_match_t *match,
                                     int group) {
    std::string_view domains = conv_group(match, group - 1);
    std::string_view header = conv_group(match, group + 1);
    conv_str_t out{};
    bool built = conv_str_appendf(&out, "%s||%.*s^$removeheader=%.*s",
                                  index == CONV_RESPONSE_HEADER_EXCEPTION ? "@@" : "",
                                  static_cast<int>(domains.size()), domains.data(),
                                  static_cast<int>(header.size()), header.data());
    return conv_rules_single(&out, built);
}

conv_rules_t convert_matches_path(rule_converter_s *, int, const conv_match_t *match, int group) {
    std::string_view path = conv_group(match, group + 1);
    std::string_view before = conv_group(match, group - 1);
    std::string_view after = conv_group(match, group + 2);
    conv_str_t out{};
    bool built = conv_str_appendf(&out, "[$path=%.*s]%.*s%.*s", static_cast<int>(path.size()),
                                  path.data(), static_cast<int>(before.size()), before.data(),
                                  static_cast<int>(after.size()), after.data());
    return conv_rules_single(&out, built);
}

// The path becomes a regular expression that refuses it. pattern_to_regex()
// already passes a /regex/ through without its slashes.
conv_rules_t convert_not_matches_path(rule_converter_s *, int, const conv_match_t *match,
                                      int group) {
    std::string_view path = conv_group(match, group + 1);
    std::string_view before = conv_group(match, group - 1);
    std::string_view after = conv_group(match, group + 2);
    char *expression = pattern_to_regex(path.data(), path.size());
    if (expression == nullptr) {
        return {};
    }
    conv_str_t out{};
    bool built = conv_str_appendf(&out, "[$path=/^((?!%.*s).)*$/]%.*s%.*s",
                                  static_cast<int>(strlen(expression)), expression,
                                  static_cast<int>(before.size()), before.data(),
                                  static_cast<int>(after.size()), after.data());
    free(expression);
    return conv_rules_single(&out, built);
}
