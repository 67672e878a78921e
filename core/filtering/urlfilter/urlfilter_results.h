// The engine's answer for one request: the matched rules sorted into ten
// lists, each ordered so that its first item decides, with the rules that
// other rules cancel already removed. The result owns clones of its rules and
// refers to nothing in the engine; urlfilter_multirules_free() releases it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/filtering/urlfilter/rule.h"

enum : int32_t { URLFILTER_ITEM_EXCEPTION = 1, URLFILTER_ITEM_BLOCKING = 2 };

struct urlfilter_item_t {
    int32_t kind;         // URLFILTER_ITEM_*
    cached_rule_t *rule;  // owned clone (it owns its text)
};

struct urlfilter_rule_list_t {
    urlfilter_item_t *items;
    size_t count;
};

enum {
    URLFILTER_LIST_BASIC = 0,  // request rules without a special modifier
    URLFILTER_LIST_PAGE = 1,   // page-level rules matched through the referrer
    URLFILTER_LIST_REPLACE = 2,
    URLFILTER_LIST_CSP = 3,
    URLFILTER_LIST_COOKIE = 4,
    URLFILTER_LIST_STEALTH = 5,
    URLFILTER_LIST_BADFILTER = 6,  // badfilter rules that disabled matched rules
    URLFILTER_LIST_REMOVEPARAM = 7,
    URLFILTER_LIST_REMOVEHEADER = 8,
    URLFILTER_LIST_HLS = 9,
    URLFILTER_LIST_COUNT = 10,
};

// "basic", "page", "replace", ... for the lists above.
const char *urlfilter_list_name(int list);

struct urlfilter_multirules_t {
    urlfilter_rule_list_t lists[URLFILTER_LIST_COUNT];
};

// Builds the result from the request's matches and the referrer's (page-level)
// matches; the inputs stay the caller's (null counts as no matches), the
// result holds its own clones. Allocation failures leave the affected items
// out (logged at ERROR).
urlfilter_multirules_t build_multirules(const urlfilter_rule_list_t *request_matches,
                                        const urlfilter_rule_list_t *referrer_matches);

// Releases every clone and array and leaves the ten lists empty; null is fine.
void urlfilter_multirules_free(urlfilter_multirules_t *result);
