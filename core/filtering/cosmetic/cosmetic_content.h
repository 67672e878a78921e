// What may follow the marker of an element-hiding or style rule: a selector
// ("##.ad"), or a selector with declarations in braces ("#$#.ad { color: red
// }"). Selectors that use a pseudo-class only the page-side extended-CSS
// engine knows make the rule extended. Nothing here allocates or logs.
#pragma once

#include <cstdint>
#include <string_view>

// True when the content is a foreign form that the rule converter rewrites
// into native rules, so the rule is not one as written: uBlock scriptlets
// ("+js(...)", "script:inject(...)"), ":style(...)", ":matches-path(...)",
// and an Adblock Plus snippet ("#$#" without braces).
bool css_content_is_foreign(std::string_view marker, std::string_view content);

// Checks a trimmed content against the kind its marker gives (`*kind`: a
// style rule or not) and adds COSMETIC_EXTENDED to `*kind` when the
// selector needs the extended-CSS engine. Returns null when the content is
// acceptable, otherwise the reason (a static text).
const char *css_content_check(std::string_view content, uint8_t *kind);
