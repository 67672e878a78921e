#include "core/filtering/urlfilter/urlfilter_results.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "core/commons/logger.h"
#include "core/filtering/urlfilter/network_modifiers.h"
#include "core/filtering/urlfilter/redirect_resources.h"
#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/rule_parser.h"

// The steps below run over items that borrow the caller's rules; only the
// items that survive every step are cloned at the end. A clone is a full
// re-parse of the rule text, and the switch-off and cancellation steps often
// drop most of a request's matches, so cloning first would re-parse rules
// only to free them again. The result is the same either way.

namespace {

const char kBuildFn[] = "build_multirules";

const char *const kListNames[URLFILTER_LIST_COUNT] = {
    "basic",   "page",      "replace",     "csp",          "cookie",
    "stealth", "badfilter", "removeparam", "removeheader", "hls",
};

// A rule goes to the list of its first special flag, in this order.
struct SpecialRoute {
    uint32_t flag;
    int list;
};
constexpr SpecialRoute kSpecialRoutes[] = {
    {RULE_BADFILTER, URLFILTER_LIST_BADFILTER},
    {RULE_REPLACE, URLFILTER_LIST_REPLACE},
    {RULE_CSP, URLFILTER_LIST_CSP},
    {RULE_COOKIE, URLFILTER_LIST_COOKIE},
    {RULE_STEALTH, URLFILTER_LIST_STEALTH},
    {RULE_REMOVEPARAM, URLFILTER_LIST_REMOVEPARAM},
    {RULE_REMOVEHEADER, URLFILTER_LIST_REMOVEHEADER},
    {RULE_HLS, URLFILTER_LIST_HLS},
};

// Exceptions that switch page features off rather than let a request through;
// they must never decide whether a request is blocked.
constexpr uint32_t kModifierExceptionFlags = RULE_GENERICBLOCK | RULE_GENERICHIDE | RULE_ELEMHIDE |
                                             RULE_JSINJECT | RULE_CONTENT | RULE_URLBLOCK |
                                             RULE_EXTENSION | RULE_STEALTH | RULE_SPECIFICHIDE;

// The logger is opened only when something failed: building a result is on
// every request's path and normally logs nothing.
void log_list_failure(int list) {
    LogHandle log("urlfilter", -1);
    log.log(LOG_LEVEL_ERROR, "%s(): Couldn't allocate the %s list", kBuildFn, kListNames[list]);
}

void log_clone_failure(const cached_rule_t *rule) {
    LogHandle log("urlfilter", -1);
    log.log(LOG_LEVEL_ERROR, "%s(): Couldn't clone rule '%.*s'", kBuildFn,
            static_cast<int>(rule->text_len), rule->text);
}

bool is_exception(const urlfilter_item_t &item) {
    return item.kind == URLFILTER_ITEM_EXCEPTION;
}

bool is_redirect(const urlfilter_item_t &item) {
    return (item.rule->flags & RULE_REDIRECT) != 0;
}

bool is_exception_redirect(const urlfilter_item_t &item) {
    return is_exception(item) && is_redirect(item);
}

// ---- list editing (items still borrow their rules) ----

void list_erase(urlfilter_rule_list_t *list, size_t index) {
    memmove(&list->items[index], &list->items[index + 1],
            (list->count - index - 1) * sizeof(urlfilter_item_t));
    --list->count;
}

// Walks from the back so that each test sees the items in front of it as they
// were and, behind it, only the items already kept.
template <typename Predicate>
void list_remove_where(urlfilter_rule_list_t *list, Predicate doomed) {
    for (size_t i = list->count; i-- > 0;) {
        if (doomed(i)) {
            list_erase(list, i);
        }
    }
}

void list_forget(urlfilter_rule_list_t *list) {
    free(list->items);
    *list = {};
}

// ---- grouping ----

// The list of a rule's first special flag, or -1 when it has none.
int special_list(const cached_rule_t *rule) {
    for (const SpecialRoute &route : kSpecialRoutes) {
        if (rule->flags & route.flag) {
            return route.list;
        }
    }
    return -1;
}

// Where a match goes; -1 for referrer matches with a special flag, which are
// dropped: a page's own modifiers say nothing about its subrequests.
int target_list(const cached_rule_t *rule, bool from_referrer) {
    int special = special_list(rule);
    if (from_referrer) {
        return special < 0 ? URLFILTER_LIST_PAGE : -1;
    }
    return special < 0 ? URLFILTER_LIST_BASIC : special;
}

void count_targets(const urlfilter_rule_list_t *matches, bool from_referrer,
                   size_t counts[URLFILTER_LIST_COUNT]) {
    for (size_t i = 0; matches != nullptr && i < matches->count; ++i) {
        int list = target_list(matches->items[i].rule, from_referrer);
        if (list >= 0) {
            ++counts[list];
        }
    }
}

// Sizes every list exactly; a list whose array cannot be had stays empty.
void allocate_lists(urlfilter_multirules_t *result, const size_t counts[URLFILTER_LIST_COUNT]) {
    for (int i = 0; i < URLFILTER_LIST_COUNT; ++i) {
        if (counts[i] == 0) {
            continue;
        }
        result->lists[i].items =
            static_cast<urlfilter_item_t *>(malloc(counts[i] * sizeof(urlfilter_item_t)));
        if (result->lists[i].items == nullptr) {
            log_list_failure(i);
        }
    }
}

void place_matches(urlfilter_multirules_t *result, const urlfilter_rule_list_t *matches,
                   bool from_referrer) {
    for (size_t i = 0; matches != nullptr && i < matches->count; ++i) {
        int target = target_list(matches->items[i].rule, from_referrer);
        if (target >= 0 && result->lists[target].items != nullptr) {
            urlfilter_rule_list_t *list = &result->lists[target];
            list->items[list->count++] = matches->items[i];
        }
    }
}

void group_matches(urlfilter_multirules_t *result, const urlfilter_rule_list_t *request_matches,
                   const urlfilter_rule_list_t *referrer_matches) {
    size_t counts[URLFILTER_LIST_COUNT] = {};
    count_targets(request_matches, false, counts);
    count_targets(referrer_matches, true, counts);
    allocate_lists(result, counts);
    place_matches(result, request_matches, false);
    place_matches(result, referrer_matches, true);
}

// ---- precedence of lists 0 and 1 ----

bool is_modifier_exception(const cached_rule_t *rule) {
    return (rule->flags & RULE_WHITELIST) && !(rule->flags & RULE_DOCUMENT) &&
           (rule->flags & kModifierExceptionFlags);
}

int plain_level(uint32_t flags) {
    bool whitelist = flags & RULE_WHITELIST;
    bool important = flags & RULE_IMPORTANT;
    bool document = flags & RULE_DOCUMENT;
    if (whitelist && important && document) {
        return 5;
    }
    if (whitelist && document) {
        return 4;
    }
    if (whitelist && important) {
        return 3;
    }
    return important ? 2 : whitelist ? 1 : 0;
}

// When a redirect rule takes part, a redirect outranks a plain important
// rule (a substitute serves the page better than a failed request), and an
// exception outranks a redirect unless the redirect is important.
int redirect_level(uint32_t flags) {
    bool whitelist = flags & RULE_WHITELIST;
    bool important = flags & RULE_IMPORTANT;
    bool redirect = flags & RULE_REDIRECT;
    if (whitelist && important) {
        return 5;
    }
    if (important && redirect) {
        return 4;
    }
    if (whitelist) {
        return 3;
    }
    return redirect ? 2 : important ? 1 : 0;
}

bool is_generic(const cached_rule_t *rule) {
    return rule->options == nullptr || rule_domains_generic(&rule->options->domains);
}

bool has_types(const cached_rule_t *rule) {
    return rule->options != nullptr && rule->options->permitted_types != 0;
}

// True when `a` must come before `b`; false keeps them as they are.
bool precedes(const cached_rule_t *a, const cached_rule_t *b) {
    bool a_modifier = is_modifier_exception(a);
    bool b_modifier = is_modifier_exception(b);
    if (a_modifier != b_modifier) {
        return b_modifier;
    }
    bool redirect = ((a->flags | b->flags) & RULE_REDIRECT) != 0;
    int a_level = redirect ? redirect_level(a->flags) : plain_level(a->flags);
    int b_level = redirect ? redirect_level(b->flags) : plain_level(b->flags);
    if (a_level != b_level) {
        return a_level > b_level;
    }
    if (is_generic(a) != is_generic(b)) {
        return is_generic(a);
    }
    return has_types(a) && !has_types(b);
}

// A stable insertion sort: an item moves forward only past items it strictly
// precedes. The levels depend on the pair compared, so they are not
// transitive (a plain exception beats a redirect, a redirect beats a plain
// important rule, which beats the exception); the library sorts require a
// strict weak order and may run past the array without one.
void sort_by_precedence(urlfilter_rule_list_t *list) {
    for (size_t i = 1; i < list->count; ++i) {
        urlfilter_item_t item = list->items[i];
        size_t j = i;
        while (j > 0 && precedes(item.rule, list->items[j - 1].rule)) {
            list->items[j] = list->items[j - 1];
            --j;
        }
        list->items[j] = item;
    }
}

// ---- switch-off ----

uint32_t switch_off_mask(int list) {
    switch (list) {
        case URLFILTER_LIST_REPLACE:
        case URLFILTER_LIST_HLS:
            return RULE_CONTENT | RULE_URLBLOCK | RULE_DOCUMENT;
        case URLFILTER_LIST_CSP:
        case URLFILTER_LIST_COOKIE:
        case URLFILTER_LIST_REMOVEPARAM:
        case URLFILTER_LIST_REMOVEHEADER:
            return RULE_URLBLOCK | RULE_DOCUMENT;
        case URLFILTER_LIST_STEALTH:
            return RULE_DOCUMENT;
        default:
            return 0;
    }
}

// The first rule of the list, and every modifier exception in it. Precedence
// puts modifier exceptions last so that they never decide blocking, not
// because they lose: "@@||x^$content" must switch content rules off also when
// another rule of the same list sorts before it.
uint32_t switching_flags(const urlfilter_rule_list_t *list) {
    uint32_t flags = list->count > 0 ? list->items[0].rule->flags : 0;
    for (size_t i = 1; i < list->count; ++i) {
        if (is_modifier_exception(list->items[i].rule)) {
            flags |= list->items[i].rule->flags;
        }
    }
    return flags;
}

void switch_off_lists(urlfilter_multirules_t *result) {
    uint32_t flags = switching_flags(&result->lists[URLFILTER_LIST_BASIC]) |
                     switching_flags(&result->lists[URLFILTER_LIST_PAGE]);
    for (int i = 0; i < URLFILTER_LIST_COUNT; ++i) {
        if (flags & switch_off_mask(i)) {
            list_forget(&result->lists[i]);
        }
    }
}

// ---- redirect resolution on list 0 ----

// A redirect rule whose record is missing compares as a bare "$redirect".
redirect_rule_t redirect_record(const cached_rule_t *rule) {
    if (rule->options != nullptr && rule->options->redirect != nullptr) {
        return *rule->options->redirect;
    }
    return {};
}

bool redirects_equal(const redirect_rule_t &a, const redirect_rule_t &b) {
    return a.has_resource == b.has_resource && (!a.has_resource || a.resource == b.resource) &&
           (a.is_redirect_rule != 0) == (b.is_redirect_rule != 0);
}

bool redirect_cancelled(const urlfilter_rule_list_t *list, const redirect_rule_t &blocking) {
    for (size_t i = 0; i < list->count; ++i) {
        const urlfilter_item_t &item = list->items[i];
        if (!is_exception_redirect(item)) {
            continue;
        }
        redirect_rule_t exception = redirect_record(item.rule);
        if (!exception.has_resource || redirects_equal(exception, blocking)) {
            return true;
        }
    }
    return false;
}

// A bare "@@...$redirect" cancels every redirect, a named one only
// redirects to the same resource of the same kind.
void drop_cancelled_redirects(urlfilter_rule_list_t *list) {
    list_remove_where(list, [list](size_t i) {
        const urlfilter_item_t &item = list->items[i];
        return !is_exception(item) && is_redirect(item) &&
               redirect_cancelled(list, redirect_record(item.rule));
    });
}

// A named redirect exception has done its work once it cancelled; left in,
// it would let the request through like a plain exception.
void drop_named_redirect_exceptions(urlfilter_rule_list_t *list) {
    list_remove_where(list, [list](size_t i) {
        const urlfilter_item_t &item = list->items[i];
        return is_exception_redirect(item) && redirect_record(item.rule).has_resource;
    });
}

// "$redirect-rule" redirects only requests that some other rule
// blocks; without such a rule ahead of any exception, it goes.
void drop_unbacked_redirect_rules(urlfilter_rule_list_t *list) {
    size_t first_plain = 0;
    while (first_plain < list->count && is_redirect(list->items[first_plain])) {
        ++first_plain;
    }
    if (first_plain < list->count && !is_exception(list->items[first_plain])) {
        return;
    }
    for (size_t i = first_plain; i-- > 0;) {
        if (redirect_record(list->items[i].rule).is_redirect_rule) {
            list_erase(list, i);
        }
    }
}

// Redirect exceptions only cancel redirects; they must not stand at
// the front where they would read as an exception for the request.
void drop_leading_redirect_exceptions(urlfilter_rule_list_t *list) {
    if (list->count < 2) {
        return;
    }
    while (list->count >= 2 && is_exception_redirect(list->items[1])) {
        list_erase(list, 1);
    }
    if (is_exception_redirect(list->items[0])) {
        list_erase(list, 0);
    }
}

void resolve_redirects(urlfilter_rule_list_t *list) {
    drop_cancelled_redirects(list);
    drop_named_redirect_exceptions(list);
    drop_unbacked_redirect_rules(list);
    drop_leading_redirect_exceptions(list);
}

// ---- stealth reduction on list 5 ----

uint16_t stealth_set(const urlfilter_item_t &item) {
    return item.rule->options != nullptr ? item.rule->options->stealth : 0;
}

// More bits first puts every set before its proper subsets.
void order_stealth(urlfilter_rule_list_t *list) {
    std::stable_sort(list->items, list->items + list->count,
                     [](const urlfilter_item_t &a, const urlfilter_item_t &b) {
                         return std::popcount(stealth_set(a)) > std::popcount(stealth_set(b));
                     });
}

// A set that an earlier one contains switches nothing more off.
void drop_contained_stealth(urlfilter_rule_list_t *list) {
    for (size_t i = 0; i < list->count; ++i) {
        uint16_t set = stealth_set(list->items[i]);
        for (size_t j = list->count; j-- > i + 1;) {
            if ((stealth_set(list->items[j]) & ~set) == 0) {
                list_erase(list, j);
            }
        }
    }
}

// Second pass: a rule goes when the other rules still in the list switch off
// all of its options together. Each check looks at the rules that remain at
// that moment, so a removal never takes away the cover that the earlier
// removals relied on, and the union of all sets stays what it was. Walking
// from the front removes the larger sets first.
void drop_covered_stealth(urlfilter_rule_list_t *list) {
    size_t i = 0;
    while (i < list->count && list->count > 1) {
        unsigned others = 0;
        for (size_t j = 0; j < list->count; ++j) {
            if (j != i) {
                others |= stealth_set(list->items[j]);
            }
        }
        if ((stealth_set(list->items[i]) & ~others) == 0) {
            list_erase(list, i);
        } else {
            ++i;
        }
    }
}

void reduce_stealth(urlfilter_rule_list_t *list) {
    order_stealth(list);
    drop_contained_stealth(list);
    drop_covered_stealth(list);
}

// ---- value-keyed exceptions on lists 2, 3 and 9 ----

using KeyFn = const char *(*)(const cached_rule_t *);

const char *replace_key(const cached_rule_t *rule) {
    return rule->options != nullptr ? rule->options->replace_text : nullptr;
}

const char *csp_key(const cached_rule_t *rule) {
    return rule->options != nullptr ? rule->options->csp_text : nullptr;
}

const char *hls_key(const cached_rule_t *rule) {
    return rule->options != nullptr && rule->options->hls != nullptr ? rule->options->hls->pattern
                                                                     : nullptr;
}

bool has_key(const char *key) {
    return key != nullptr && key[0] != '\0';
}

// An exception without a value cancels every rule of its kind.
bool keep_only_bare_exception(urlfilter_rule_list_t *list, KeyFn key) {
    for (size_t i = 0; i < list->count; ++i) {
        if (is_exception(list->items[i]) && !has_key(key(list->items[i].rule))) {
            list->items[0] = list->items[i];
            list->count = 1;
            return true;
        }
    }
    return false;
}

// Removes the blocking rules whose key is `value`; returns how many went and,
// in `*before`, how many of them stood in front of `position`.
size_t drop_blocking_with_key(urlfilter_rule_list_t *list, KeyFn key, const char *value,
                              size_t position, size_t *before) {
    size_t removed = 0;
    *before = 0;
    for (size_t j = list->count; j-- > 0;) {
        const urlfilter_item_t &item = list->items[j];
        const char *other = key(item.rule);
        if (!is_exception(item) && has_key(other) && strcmp(other, value) == 0) {
            list_erase(list, j);
            ++removed;
            *before += j < position ? 1 : 0;
        }
    }
    return removed;
}

// An exception stays only as the record of what it cancelled; the blocking
// rules it cancelled go, and so does an exception that found none left.
void apply_keyed_exceptions(urlfilter_rule_list_t *list, KeyFn key) {
    size_t i = 0;
    while (i < list->count) {
        if (!is_exception(list->items[i])) {
            ++i;
            continue;
        }
        size_t before;
        size_t removed = drop_blocking_with_key(list, key, key(list->items[i].rule), i, &before);
        i -= before;
        if (removed == 0) {
            list_erase(list, i);
        } else {
            ++i;
        }
    }
}

// Byte order, rules without a key first, so that equal values sit together.
void sort_by_key(urlfilter_rule_list_t *list, KeyFn key) {
    std::stable_sort(list->items, list->items + list->count,
                     [key](const urlfilter_item_t &a, const urlfilter_item_t &b) {
                         const char *ka = key(a.rule);
                         const char *kb = key(b.rule);
                         if (!has_key(ka) || !has_key(kb)) {
                             return !has_key(ka) && has_key(kb);
                         }
                         return strcmp(ka, kb) < 0;
                     });
}

void resolve_keyed_list(urlfilter_rule_list_t *list, KeyFn key) {
    if (!keep_only_bare_exception(list, key)) {
        apply_keyed_exceptions(list, key);
        sort_by_key(list, key);
    }
}

// ---- ownership ----

// Replaces every borrowed rule with a clone of its own: a view when the rule
// is shared (the engine's matches are), a re-parsed copy otherwise. An item
// whose clone cannot be made is left out.
void take_clones(urlfilter_rule_list_t *list) {
    size_t kept = 0;
    for (size_t i = 0; i < list->count; ++i) {
        const cached_rule_t *rule = list->items[i].rule;
        auto *clone = static_cast<cached_rule_t *>(calloc(1, sizeof(cached_rule_t)));
        bool made = clone != nullptr &&
                    (rule->owner != nullptr ? rule_view(rule, clone) : rule_clone(rule, clone));
        if (!made) {
            free(clone);
            log_clone_failure(rule);
            continue;
        }
        list->items[kept++] = {list->items[i].kind, clone};
    }
    list->count = kept;
    if (kept == 0) {
        list_forget(list);
    }
}

}  // namespace

const char *urlfilter_list_name(int list) {
    return list >= 0 && list < URLFILTER_LIST_COUNT ? kListNames[list] : nullptr;
}

urlfilter_multirules_t build_multirules(const urlfilter_rule_list_t *request_matches,
                                        const urlfilter_rule_list_t *referrer_matches) {
    urlfilter_multirules_t result{};
    group_matches(&result, request_matches, referrer_matches);
    sort_by_precedence(&result.lists[URLFILTER_LIST_BASIC]);
    sort_by_precedence(&result.lists[URLFILTER_LIST_PAGE]);
    switch_off_lists(&result);
    resolve_redirects(&result.lists[URLFILTER_LIST_BASIC]);
    reduce_stealth(&result.lists[URLFILTER_LIST_STEALTH]);
    resolve_keyed_list(&result.lists[URLFILTER_LIST_REPLACE], replace_key);
    resolve_keyed_list(&result.lists[URLFILTER_LIST_CSP], csp_key);
    resolve_keyed_list(&result.lists[URLFILTER_LIST_HLS], hls_key);
    for (urlfilter_rule_list_t &list : result.lists) {
        take_clones(&list);
    }
    return result;
}

void urlfilter_multirules_free(urlfilter_multirules_t *result) {
    if (result == nullptr) {
        return;
    }
    for (urlfilter_rule_list_t &list : result->lists) {
        for (size_t i = 0; i < list.count; ++i) {
            rule_release(list.items[i].rule);
            free(list.items[i].rule);
        }
        list_forget(&list);
    }
}
