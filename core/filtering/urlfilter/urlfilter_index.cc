// Where each rule goes in the index, and how it comes out again.
#include <algorithm>
#include <cstring>

#include "core/filtering/common/public_suffix.h"
#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/urlfilter_internal.h"

std::string strip_domain_option(std::string_view text) {
    size_t at = text.find("domain=");
    if (at == std::string_view::npos) {
        return std::string(text);
    }
    std::string out(text.substr(0, at == 0 ? 0 : at - 1));
    size_t comma = text.find(',', at);
    if (comma != std::string_view::npos) {
        out.append(text.substr(comma));
    }
    return out;
}

namespace {

bool starts_with(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// Shortcuts that are little more than a scheme occur in nearly every URL.
bool shortcut_indexable(std::string_view s) {
    if (s.size() < URLFILTER_SHORTCUT_KEY_LENGTH) {
        return false;
    }
    return !((s.size() <= 8 && (starts_with(s, "http") || starts_with(s, "|http"))) ||
             (s.size() == 9 && starts_with(s, "|http")) ||
             (s.size() <= 6 && starts_with(s, "|ws")) || (s.size() <= 5 && starts_with(s, "ws:")));
}

table_set_t *table_set_for(urlfilter_s *engine, const cached_rule_t *rule) {
    return (rule->flags & RULE_BADFILTER) ? &engine->badfilter_tables : &engine->request_tables;
}

bool page_level(const cached_rule_t *rule) {
    return (rule->flags & (RULE_URLBLOCK | RULE_GENERICBLOCK)) ||
           ((rule->flags & RULE_WHITELIST) && (rule->flags & RULE_DOCUMENT));
}

void set_shortcut_bit(table_set_t *set, const char *piece) {
    if (set->shortcut_bits.empty()) {
        set->shortcut_bits.assign(URLFILTER_SHORTCUT_BITS / 64, 0);
    }
    uint32_t bit = shortcut_bit(piece);
    set->shortcut_bits[bit / 64] |= uint64_t{1} << (bit % 64);
}

// The rule's rarest five-byte piece: the one whose bucket is shortest now,
// as an index keyed on rare n-grams keeps every bucket short. Returns its key
// and sets `*offset` to where it starts in the shortcut.
// Pieces nearly every URL holds (its scheme, "www", the big top-level
// domains): a bucket under one of them is searched by most requests, so a
// rule goes there only when its shortcut has no other piece.
constexpr size_t kCommonPieceCost = 1u << 20;

bool common_url_piece(std::string_view piece) {
    for (std::string_view common :
         {":", "www", "http", ".com", "com/", ".net", "net/", ".org", "org/"}) {
        if (piece.find(common) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

uint32_t rarest_key(const table_set_t *set, std::string_view shortcut, uint32_t *offset) {
    uint32_t best_key = 0;
    size_t best_cost = SIZE_MAX;
    for (size_t i = 0; i + URLFILTER_SHORTCUT_KEY_LENGTH <= shortcut.size(); ++i) {
        std::string_view piece = shortcut.substr(i, URLFILTER_SHORTCUT_KEY_LENGTH);
        uint32_t key = urlfilter_key_hash(piece.data(), piece.size());
        const bucket_t *found = set->shortcuts.find(key);
        size_t cost = (found == nullptr ? 0 : found->size()) +
                      (common_url_piece(piece) ? kCommonPieceCost : 0);
        if (cost < best_cost) {
            best_key = key, best_cost = cost, *offset = static_cast<uint32_t>(i);
            if (cost == 0) {
                break;
            }
        }
    }
    return best_key;
}

struct DomainKeys {
    std::vector<uint32_t> keys;
    bool reachable = true;  // every entry is found by the domain walk
};

// The domain walk stops at a host's registrable domain, so an entry that is a
// bare public suffix ("com", "co.uk") or a single label would never be
// reached: such rules go to the leftovers instead.
DomainKeys domain_keys(const cached_rule_t *rule) {
    DomainKeys out;
    if (rule->options == nullptr) {
        return out;
    }
    struct Ctx {
        DomainKeys *out;
        bool any_tld;
    };
    auto add = [](void *arg, const char *key, size_t length) {
        auto *ctx = static_cast<Ctx *>(arg);
        if (!ctx->any_tld && registry_length(key, length) == 0) {
            ctx->out->reachable = false;
        }
        ctx->out->keys.push_back(urlfilter_key_hash(key, length));
        return 0;
    };
    Ctx plain{&out, false}, any_tld{&out, true};
    string_set_foreach(rule->options->domains.permitted, add, &plain);
    string_set_foreach(rule->options->domains.permitted_any_tld, add, &any_tld);
    return out;
}

void add_to_set(table_set_t *set, const cached_rule_t *rule, index_entry_t entry) {
    std::string_view shortcut = rule->shortcut ? rule->shortcut : "";
    if (shortcut_indexable(shortcut)) {
        uint32_t key = rarest_key(set, shortcut, &entry.key_offset);
        entry.head = shortcut_head(shortcut.data(), shortcut.size());
        set->shortcuts[key].push_back(entry);
        set_shortcut_bit(set, shortcut.data() + entry.key_offset);
        return;
    }
    DomainKeys domains = domain_keys(rule);
    if (!domains.keys.empty() && domains.reachable) {
        for (uint32_t key : domains.keys) {
            set->domains[key].push_back(entry);
        }
        return;
    }
    set->leftovers.push_back(entry);
}

bool erase_id(bucket_t *bucket, int32_t id) {
    auto found = std::find_if(bucket->begin(), bucket->end(),
                              [id](const index_entry_t &e) { return e.id == id; });
    if (found == bucket->end()) {
        return false;
    }
    bucket->erase(found);
    return true;
}

void erase_from_map(key_table_t *map, uint32_t key, int32_t id, bool *done) {
    bucket_t *found = map->find(key);
    if (found != nullptr && erase_id(found, id)) {
        *done = true;
    }
}

void remove_from_set(table_set_t *set, const cached_rule_t *rule, int32_t id) {
    std::string_view shortcut = rule->shortcut ? rule->shortcut : "";
    bool done = false;
    for (size_t i = 0; !done && i + URLFILTER_SHORTCUT_KEY_LENGTH <= shortcut.size(); ++i) {
        erase_from_map(&set->shortcuts,
                       urlfilter_key_hash(shortcut.data() + i, URLFILTER_SHORTCUT_KEY_LENGTH), id,
                       &done);
    }
    for (uint32_t key : domain_keys(rule).keys) {
        bool erased = false;
        erase_from_map(&set->domains, key, id, &erased);
    }
    erase_id(&set->leftovers, id);
}

}  // namespace

void index_add_rule(urlfilter_s *engine, const cached_rule_t *rule, int32_t id,
                    const char *prefilter, uint32_t prefilter_len) {
    index_entry_t entry{id, rule->user_tag, prefilter, prefilter_len, 0, 0};
    add_to_set(table_set_for(engine, rule), rule, entry);
    if (!(rule->flags & RULE_BADFILTER) && page_level(rule)) {
        add_to_set(&engine->document_tables, rule, entry);
    }
    if (!(rule->flags & RULE_BADFILTER)) {
        return;
    }
    const rule_options_t *o = rule->options;
    bool has_domains =
        !string_set_empty(o->domains.permitted) || !string_set_empty(o->domains.permitted_any_tld);
    if (!has_domains) {
        engine->badfilter_by_text[o->badfilter_text] = entry;
    } else {
        std::string stripped = strip_domain_option(o->badfilter_text);
        engine->badfilter_by_hash[urlfilter_key_hash(stripped.data(), stripped.size())].push_back(
            id);
    }
}

void index_remove_rule(urlfilter_s *engine, const cached_rule_t *rule, int32_t id) {
    remove_from_set(table_set_for(engine, rule), rule, id);
    if (rule->flags & RULE_BADFILTER) {
        const char *text = rule->options->badfilter_text;
        auto by_text = engine->badfilter_by_text.find(text);
        if (by_text != engine->badfilter_by_text.end() && by_text->second.id == id) {
            engine->badfilter_by_text.erase(by_text);
        } else {
            std::string stripped = strip_domain_option(text);
            auto bucket = engine->badfilter_by_hash.find(
                urlfilter_key_hash(stripped.data(), stripped.size()));
            if (bucket != engine->badfilter_by_hash.end()) {
                std::erase(bucket->second, id);
            }
        }
    } else if (page_level(rule)) {
        remove_from_set(&engine->document_tables, rule, id);
    }
}
