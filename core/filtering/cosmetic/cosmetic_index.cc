#include "core/filtering/cosmetic/cosmetic_index.h"

#include <new>
#include <string_view>
#include <unordered_set>

#include "core/filtering/common/rule_domains.h"
#include "core/filtering/common/string_set.h"

namespace {

struct KeyedAdd {
    std::unordered_map<std::string, cosmetic_rule_list_t> *map;
    const cosmetic_rule_t *rule;
};

int add_under_key(void *arg, const char *key, size_t length) {
    auto *add = static_cast<KeyedAdd *>(arg);
    (*add->map)[std::string(key, length)].push_back(add->rule);
    return 0;
}

bool names_page(const cosmetic_rule_t *rule) {
    return cosmetic_rule_has_apps(rule) || cosmetic_rule_has_path(rule);
}

void index_rule(cosmetic_index_t *index, const cosmetic_rule_t *rule) {
    if (!cosmetic_rule_has_domains(rule)) {
        index->common_depends_on_page = index->common_depends_on_page || names_page(rule);
        (rule->kind & COSMETIC_EXTENDED ? index->domainless_extended : index->domainless)
            .push_back(rule);
        return;
    }
    const rule_domains_t &domains = rule->domains;
    if (rule_domains_generic(&domains)) {
        index->unkeyed.push_back(rule);
        return;
    }
    KeyedAdd exact{&index->by_domain, rule};
    string_set_foreach(domains.permitted, add_under_key, &exact);
    KeyedAdd any_tld{&index->by_any_tld, rule};
    string_set_foreach(domains.permitted_any_tld, add_under_key, &any_tld);
}

// The host without a port (cut at the last colon, as the domain-list match
// cuts it); a bracketed IPv6 literal stays whole.
size_t host_length(const char *host, size_t length) {
    if (length >= 3 && host[0] == '[' && host[length - 1] == ']') {
        return length;
    }
    size_t colon = std::string_view(host, length).rfind(':');
    return colon == std::string_view::npos ? length : colon;
}

// Looks up every dot-suffix of `name` (the name itself first), and of the
// name without a root dot, as the domain-list match does.
void collect_suffixes(const std::unordered_map<std::string, cosmetic_rule_list_t> &map,
                      std::string_view name, std::unordered_set<const void *> *seen,
                      cosmetic_rule_list_t *out) {
    if (map.empty()) {
        return;
    }
    for (std::string_view variant : {name, name.substr(0, name.size() - (name.ends_with('.')))}) {
        for (size_t start = 0; start < variant.size();) {
            auto found = map.find(std::string(variant.substr(start)));
            if (found != map.end()) {
                for (const cosmetic_rule_t *rule : found->second) {
                    if (seen->insert(rule).second) {
                        out->push_back(rule);
                    }
                }
            }
            size_t dot = variant.find('.', start);
            start = dot == std::string_view::npos ? variant.size() : dot + 1;
        }
    }
}

}  // namespace

int cosmetic_index_build(cosmetic_index_t *index, const rulecommon_storage_t *storage) {
    cosmetic_index_clear(index);
    try {
        for (const auto &entry : storage->rules) {
            if (!rulecommon_rule_is_foldable(entry.second)) {
                index_rule(index, entry.second);
            }
        }
        for (const auto &entry : storage->exceptions) {
            index->common_depends_on_page =
                index->common_depends_on_page || names_page(entry.second);
        }
    } catch (const std::bad_alloc &) {
        cosmetic_index_clear(index);
        return -1;
    }
    return 0;
}

void cosmetic_index_clear(cosmetic_index_t *index) {
    *index = cosmetic_index_t{};
}

void cosmetic_index_candidates(const cosmetic_index_t *index, const char *host, size_t length,
                               unsigned flags, cosmetic_rule_list_t *out) {
    if (flags & COSMETIC_INDEX_DOMAINLESS) {
        out->insert(out->end(), index->domainless.begin(), index->domainless.end());
    }
    if (flags & COSMETIC_INDEX_DOMAINLESS_EXTENDED) {
        out->insert(out->end(), index->domainless_extended.begin(),
                    index->domainless_extended.end());
    }
    out->insert(out->end(), index->unkeyed.begin(), index->unkeyed.end());
    if (host == nullptr || length == 0) {
        return;
    }
    length = host_length(host, length);
    std::unordered_set<const void *> seen;
    collect_suffixes(index->by_domain, std::string_view(host, length), &seen, out);
    size_t key_length = any_tld_key_length(host, length);
    if (key_length > 0) {
        collect_suffixes(index->by_any_tld, std::string_view(host, key_length), &seen, out);
    }
}
