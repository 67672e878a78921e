// The built-in templates the core answers with instead of fetched content:
// the blocking, error, safebrowsing, parental-control and certificate pages
// (HTML, configured through one JSON marker), the 1x1 PNG, and the content
// and stealth scripts (with `$_name_` placeholders). The texts are compiled
// into the program; rendering copies them, so results belong to the caller.
#pragma once

#include <string>
#include <vector>

// Template indices.
constexpr int PAGE_TEMPLATE_BLOCKED = 0;       // "adBlockedPage"
constexpr int PAGE_TEMPLATE_ERROR = 1;         // "errorPage"
constexpr int PAGE_TEMPLATE_SAFEBROWSING = 2;  // "safebrowsing"
constexpr int PAGE_TEMPLATE_PARENTAL = 3;      // "parental"
constexpr int PAGE_TEMPLATE_PIXEL = 4;         // 1x1 PNG, never substituted
constexpr int PAGE_TEMPLATE_CONTENT_SCRIPT = 5;
constexpr int PAGE_TEMPLATE_STEALTH_SCRIPT = 6;
constexpr int PAGE_TEMPLATE_CERTIFICATE = 7;  // "certificate"
constexpr int PAGE_TEMPLATE_COUNT = 8;

// One value for a template: `is_string` inserts `value` as a JSON string
// literal; otherwise it goes in as it stands ("null", "true", a number, an
// object text).
struct substitution_pair {
    std::string name;
    std::string value;
    bool is_string;
};

// Returns template `index` rendered with `pairs`:
// - null `pairs`: the template byte for byte;
// - HTML pages: the pairs as one JSON object (in order; "{}" for none), as a
//   JSON string literal in place of the "{JSON_PLACEHOLDER}" marker and its
//   quotes, so the page's JSON.parse() receives the object text;
// - scripts: each pair replaces the first `$_name_` of the template's
//   placeholder region that no earlier pair took, in pair order (values
//   already inserted are never searched, so a value holding "$_nonce_"
//   cannot capture a later pair); an empty list leaves the placeholders;
// - the PNG: unchanged; an index outside 0-7: an empty text.
// Throws std::out_of_range("invalid string position") when a script pair has
// no placeholder, and std::bad_alloc when memory runs out: C boundaries must
// catch both. Safe from any thread; the first call prepares the template
// descriptors once.
std::string renderTemplate(int index, const std::vector<substitution_pair> *pairs);
