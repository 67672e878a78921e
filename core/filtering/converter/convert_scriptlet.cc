// Rewrite handlers for scriptlet calls: uBlock's +js() and script:inject()
// and Adblock Plus snippets become native //scriptlet() calls, the scriptlet
// names prefixed with their origin ("ubo-", "abp-") so that the scriptlets
// base resolves them.
#include <cstdint>

#include "core/commons/strview.h"
#include "core/filtering/converter/conv_str.h"
#include "core/filtering/converter/rule_converter_internal.h"
#include "core/filtering/converter/rule_syntax.h"

namespace {

bool is_exception(int index) {
    return index == CONV_JS_EXCEPTION || index == CONV_INJECT_EXCEPTION ||
           index == CONV_EXTENDED_JS_EXCEPTION;
}

// The argument list up to its last non-whitespace byte. A list with none
// keeps its first byte, which for an empty list is the closing parenthesis
// (every piece then loses a trailing ')', so "+js()" names the bare prefix).
std::string_view argument_list(const conv_match_t *match, int n) {
    std::string_view list = conv_group(match, n);
    std::string_view trimmed = strview::trim(list);
    size_t length =
        trimmed.empty() ? 1 : static_cast<size_t>(trimmed.data() + trimmed.size() - list.data());
    return {list.data(), length};
}

bool append_argument(conv_str_t *out, std::string_view piece, bool first) {
    if (!piece.empty() && piece.back() == ')') {
        piece.remove_suffix(1);
    }
    return conv_str_append(out, first ? "'ubo-" : ", '") &&
           conv_str_append_replacing(out, strview::trim(piece), '\'', "\\'") &&
           conv_str_append(out, "'");
}

// Splits at the commas outside quotes and brackets, so "'a,b'" stays one
// argument. A comma ending the list adds no piece here.
bool append_arguments(conv_str_t *out, std::string_view list) {
    for (bool first = true; !list.empty(); first = false) {
        ptrdiff_t comma = find_top_level(list.data(), list.size(), ",", 1, "", 0);
        size_t end = comma < 0 ? list.size() : static_cast<size_t>(comma);
        if (!append_argument(out, list.substr(0, end), first)) {
            return false;
        }
        list.remove_prefix(comma < 0 ? list.size() : end + 1);
    }
    return true;
}

}  // namespace

conv_rules_t convert_ubo_scriptlet(rule_converter_s *, int index, const conv_match_t *match,
                                   int group) {
    std::string_view list = argument_list(match, group + 1);
    bool trailing_empty = list.back() == ',';
    conv_str_t out{};
    bool built =
        conv_str_append(&out, conv_group(match, group - 1)) &&
        conv_str_append(&out, is_exception(index) ? "#@%#//scriptlet(" : "#%#//scriptlet(") &&
        append_arguments(&out, list) && (!trailing_empty || conv_str_append(&out, ", ''")) &&
        conv_str_append(&out, ")") && conv_str_append(&out, conv_group(match, group + 2));
    return conv_rules_single(&out, built);
}

// Snippet arguments are space-separated words and pass through as they are.
conv_rules_t convert_abp_snippet(rule_converter_s *, int, const conv_match_t *match, int group) {
    std::string_view words = strview::trim(conv_after_group(match, group));
    conv_str_t out{};
    bool built = conv_str_append(&out, conv_before_group(match, group)) &&
                 conv_str_append(&out, "#%#//scriptlet(");
    for (bool first = true; built && !words.empty();) {
        std::string_view word;
        words.remove_prefix(strview::next_token(words, &word, ' ' | strview::TOKEN_NO_TRIM));
        if (!word.empty()) {
            built = conv_str_appendf(&out, first ? "'abp-%.*s'" : ", '%.*s'",
                                     static_cast<int>(word.size()), word.data());
            first = false;
        }
    }
    built = built && conv_str_append(&out, ")");
    return conv_rules_single(&out, built);
}
