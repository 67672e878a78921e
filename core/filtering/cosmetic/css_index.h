// Which element-hiding rules a build for one page needs to look at. A build
// that walked every rule spent most of its time rejecting rules for other
// sites (tens of thousands with EasyList); the index hands it the rules
// without domain entries, the rules with only excluded domains, and the
// rules whose permitted entries ("example.org" or "example.*") name a
// suffix of the page's host. It only narrows the walk: every candidate still
// goes through the full match check, so results are the same as a walk over
// all rules.
//
// The index holds pointers to rules of the storage it was built from; any
// change of that storage makes it stale, and the owner rebuilds it before
// the next build.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/filtering/cosmetic/cosmetic_rule.h"
#include "core/filtering/cosmetic/rulecommon_storage.h"

using css_rule_list_t = std::vector<const cosmetic_rule_t *>;

struct css_index_t {
    css_rule_list_t domainless;           // non-extended rules without domain entries
    css_rule_list_t domainless_extended;  // extended rules without domain entries
    css_rule_list_t unkeyed;              // rules with domain entries but none permitted
    std::unordered_map<std::string, css_rule_list_t> by_domain;   // permitted "example.org"
    std::unordered_map<std::string, css_rule_list_t> by_any_tld;  // permitted "example.*"
    // Whether the common CSS can differ between pages: some domain-less rule
    // or some exception matched at build time names apps or a path.
    bool common_depends_on_page;
};

// Fills `index` (which is cleared first) from the tables of `storage`.
// Foldable exceptions are left out: they never match on their own. Returns
// 0, or -1 when memory ran out (the index is then cleared).
int css_index_build(css_index_t *index, const rulecommon_storage_t *storage);

void css_index_clear(css_index_t *index);

// Appends to `out`, each at most once, the rules with domain entries that
// may match a page on `host` (maybe with ":port", maybe "[v6]"), and the
// extended domain-less rules when `with_domainless_extended` is set.
// Throws std::bad_alloc when memory runs out.
void css_index_candidates(const css_index_t *index, const char *host, size_t length,
                          bool with_domainless_extended, css_rule_list_t *out);
