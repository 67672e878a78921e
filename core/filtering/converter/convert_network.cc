// Rewrite handlers for network options other blockers have and the native
// syntax spells differently: inline-script, inline-font and all become CSP
// rules (and, for all, the document and popup rules), mp4 and empty become
// redirects, rewrite=abp-resource: becomes redirect=. The option sits in
// capture group `group`, the rule up to it in `group - 3` and the options
// after it in `group + 2`.
#include <span>
#include <string_view>

#include "core/filtering/converter/conv_str.h"
#include "core/filtering/converter/rule_converter_internal.h"

namespace {

constexpr std::string_view kScriptCsp =
    "csp=script-src 'self' 'unsafe-eval' http: https: data: blob: mediastream: filesystem:";
constexpr std::string_view kFontCsp =
    "csp=font-src 'self' 'unsafe-eval' http: https: data: blob: mediastream: filesystem:";

// What $all stands for: every kind of request, inline scripts and fonts.
constexpr std::string_view kAllReplacements[] = {kScriptCsp, kFontCsp, "document,popup", ""};

// One rule with the option replaced by `replacement`. An empty replacement
// leaves no empty option behind: it takes a comma with it.
bool build_replaced(conv_str_t *out, const conv_match_t *match, int group,
                    std::string_view replacement) {
    std::string_view head = conv_group(match, group - 3);
    std::string_view tail = conv_group(match, group + 2);
    if (replacement.empty() && !tail.empty() && tail.front() == ',') {
        tail.remove_prefix(1);
    } else if (replacement.empty() && tail.empty()) {
        head.remove_suffix(1);
    }
    return conv_str_append(out, head) && conv_str_append(out, replacement) &&
           conv_str_append(out, tail);
}

}  // namespace

conv_rules_t convert_csp_option(rule_converter_s *, int index, const conv_match_t *match,
                                int group) {
    std::span<const std::string_view> replacements(
        index == CONV_INLINE_SCRIPT ? &kScriptCsp : &kFontCsp, 1);
    if (index == CONV_ALL) {
        replacements = kAllReplacements;
    }
    conv_rules_t rules{};
    for (std::string_view replacement : replacements) {
        conv_str_t out{};
        if (!build_replaced(&out, match, group, replacement) || !conv_rules_push(&rules, &out)) {
            conv_str_free(&out);
            conv_rules_free(&rules);
            break;
        }
    }
    return rules;
}

conv_rules_t convert_rewrite(rule_converter_s *, int, const conv_match_t *match, int group) {
    conv_str_t out{};
    bool built = conv_str_append(&out, conv_before_group(match, group)) &&
                 conv_str_append(&out, "redirect=") &&
                 conv_str_append(&out, conv_after_group(match, group));
    return conv_rules_single(&out, built);
}

conv_rules_t convert_redirect_option(rule_converter_s *, int index, const conv_match_t *match,
                                     int group) {
    std::string_view redirect =
        index == CONV_MP4 ? "redirect=noopmp4-1s,media" : "redirect=nooptext";
    conv_str_t out{};
    bool built = conv_str_append(&out, conv_before_group(match, group)) &&
                 conv_str_append(&out, redirect) &&
                 conv_str_append(&out, conv_group(match, group + 2));
    return conv_rules_single(&out, built);
}
