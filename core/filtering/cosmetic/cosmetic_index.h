// Which cosmetic rules a build for one page needs to look at. A build that
// walked every rule spent most of its time rejecting rules for other sites
// (tens of thousands with EasyList); the index hands it the rules without
// domain entries, the rules with only excluded domains, and the rules whose
// permitted entries ("example.org" or "example.*") name a suffix of the
// page's host. The element-hiding and the script filter each keep one. It only narrows the walk:
// every candidate still goes through the full match check, so results are the same as a walk over
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

using cosmetic_rule_list_t = std::vector<const cosmetic_rule_t *>;

struct cosmetic_index_t {
    cosmetic_rule_list_t domainless;           // non-extended rules without domain entries
    cosmetic_rule_list_t domainless_extended;  // extended rules without domain entries
    cosmetic_rule_list_t unkeyed;              // rules with domain entries but none permitted
    std::unordered_map<std::string, cosmetic_rule_list_t> by_domain;   // permitted "example.org"
    std::unordered_map<std::string, cosmetic_rule_list_t> by_any_tld;  // permitted "example.*"
    // Whether the common CSS can differ between pages: some domain-less rule
    // or some exception matched at build time names apps or a path.
    bool common_depends_on_page;
};

// Fills `index` (which is cleared first) from the tables of `storage`.
// Foldable exceptions are left out: they never match on their own. Returns
// 0, or -1 when memory ran out (the index is then cleared).
int cosmetic_index_build(cosmetic_index_t *index, const rulecommon_storage_t *storage);

void cosmetic_index_clear(cosmetic_index_t *index);

// cosmetic_index_candidates() flags: which domain-less rules to include.
enum : unsigned {
    COSMETIC_INDEX_DOMAINLESS = 1u << 0,           // non-extended ones
    COSMETIC_INDEX_DOMAINLESS_EXTENDED = 1u << 1,  // extended ones
};

// Appends to `out`, each at most once, the rules with domain entries that
// may match a page on `host` (maybe with ":port", maybe "[v6]"), and the
// domain-less rules `flags` asks for. Throws std::bad_alloc when memory runs
// out.
void cosmetic_index_candidates(const cosmetic_index_t *index, const char *host, size_t length,
                               unsigned flags, cosmetic_rule_list_t *out);
