#include "core/filtering/cosmetic/cosmetic_content.h"

#include "core/commons/strview.h"
#include "core/filtering/converter/rule_syntax.h"
#include "core/filtering/cosmetic/cosmetic_rule.h"

namespace {

// Pseudo-classes (and the legacy "[-ext-name=...]" attribute form) that
// browsers do not evaluate. ":has(" is native in current Chromium, but older
// engines drop a whole rule they cannot parse, so it goes to the extended
// engine as well. The names are looked for anywhere in the selector, quoted
// attribute values included: a false hit only sends a native selector to the
// extended engine, which evaluates native selectors too.
constexpr std::string_view kExtendedNames[] = {
    ":has(",
    ":has-text(",
    ":contains(",
    ":-abp-contains(",
    ":-abp-has(",
    ":-abp-properties(",
    ":matches-css(",
    ":matches-css-before(",
    ":matches-css-after(",
    ":matches-attr(",
    ":matches-property(",
    ":xpath(",
    ":nth-ancestor(",
    ":upward(",
    ":remove(",
    ":min-text-length(",
    ":if(",
    ":if-not(",
    "[-ext-",
};

// CSS has no "//" comments, and unquoted attribute values and url()
// arguments may hold slashes: '/' opens nothing in a selector or style block.
constexpr char kExcluded[] = "/";

ptrdiff_t find_top(std::string_view text, std::string_view delimiter) {
    return find_top_level(text.data(), text.size(), delimiter.data(), delimiter.size(), kExcluded,
                          1);
}

bool is_extended(std::string_view selector) {
    for (std::string_view name : kExtendedNames) {
        if (strview::find_nocase(selector, name) < selector.size()) {
            return true;
        }
    }
    return false;
}

// The selector of a style block `selector { declarations }`: the block must
// open at the first '{' outside quotes and brackets and close at the last
// byte. Returns false when the content is not shaped so.
bool style_selector(std::string_view content, std::string_view *selector) {
    ptrdiff_t open = find_top(content, "{");
    if (open < 0 || content.back() != '}') {
        return false;
    }
    std::string_view declarations = content.substr(static_cast<size_t>(open) + 1,
                                                   content.size() - static_cast<size_t>(open) - 2);
    // Balanced on their own, the declarations cannot close the block early.
    if (find_top(declarations, "") != 0) {
        return false;
    }
    *selector = strview::trim(content.substr(0, static_cast<size_t>(open)));
    return true;
}

// "remove: true" is no CSS property: only the extended engine acts on it.
bool removes_element(std::string_view content) {
    std::string compact;
    for (char c : content.substr(content.find('{'))) {
        if (c != ' ' && c != '\t') {
            compact.push_back(c);
        }
    }
    return strview::find_nocase(compact, "remove:true") < compact.size();
}

}  // namespace

bool css_content_is_foreign(std::string_view marker, std::string_view content) {
    if (marker == "#$#" && strview::find_char(content, '{') == content.size()) {
        return true;
    }
    return strview::starts_with(content, "+js(") ||
           strview::starts_with(content, "script:inject(") ||
           content.find(":style(") != std::string_view::npos ||
           strview::find_nocase(content, ":matches-path(") < content.size();
}

const char *css_content_check(std::string_view content, uint8_t *kind) {
    if (content.empty()) {
        return "Empty selector";
    }
    if (find_top(content, "") != 0) {
        return "Unbalanced brackets or quotes in selector";
    }
    std::string_view selector = content;
    // EasyList writes some style rules with "##": they read as with "#$#". A
    // block that is not well formed would end a hiding group's selector list
    // and inject rules of its own.
    if (!(*kind & COSMETIC_STYLE) && find_top(content, "{") >= 0) {
        if (!style_selector(content, &selector)) {
            return "Selector holds a malformed style block";
        }
        *kind |= COSMETIC_STYLE;
    }
    if (*kind & COSMETIC_STYLE) {
        if (!style_selector(content, &selector)) {
            return "Style rule is not a selector followed by declarations in braces";
        }
        if (selector.empty()) {
            return "Empty selector";
        }
        if (removes_element(content)) {
            *kind |= COSMETIC_EXTENDED;
        }
    }
    if (is_extended(selector)) {
        *kind |= COSMETIC_EXTENDED;
    }
    return nullptr;
}
