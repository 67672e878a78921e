// The engine's inner records, shared by its storage, index and matcher.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/commons/lru_cache.h"
#include "core/filtering/urlfilter/key_table.h"
#include "core/filtering/urlfilter/rule.h"
#include "core/filtering/urlfilter/url_components.h"
#include "core/filtering/urlfilter/urlfilter.h"
#include "core/filtering/urlfilter/urlfilter_context.h"

// Index keys: h = 5381, then h = (h * 33) ^ byte over the bytes, each taken as
// a signed char. Inline: a URL hashes every five-byte window of itself.
inline uint32_t urlfilter_key_hash(const char *bytes, size_t length) {
    uint32_t h = 5381;
    for (size_t i = 0; i < length; ++i) {
        h = (h * 33) ^
            static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(bytes[i])));
    }
    return h;
}

constexpr size_t URLFILTER_SHORTCUT_KEY_LENGTH = 5;

struct table_set_t {
    key_table_t shortcuts;
    key_table_t domains;
    bucket_t leftovers;
    // One bit per five-byte piece some shortcut key is made of (hashed as raw
    // bytes, far cheaper than the key hash): most windows of a URL are ruled
    // out without computing their key or looking it up.
    std::vector<uint64_t> shortcut_bits;
};

// 4 Mi bits (512 KiB) for the ~100k keys of EasyList + EasyPrivacy: about
// one window in forty reaches the table without a key behind it.
constexpr uint32_t URLFILTER_SHORTCUT_BITS_LOG2 = 22;
constexpr uint32_t URLFILTER_SHORTCUT_BITS = 1u << URLFILTER_SHORTCUT_BITS_LOG2;

// The filter bit of the five bytes at `piece`.
inline uint32_t shortcut_bit(const char *piece) {
    uint32_t low;
    memcpy(&low, piece, 4);
    uint64_t bytes = low | (uint64_t{static_cast<unsigned char>(piece[4])} << 32);
    return static_cast<uint32_t>((bytes * 0x9E3779B97F4A7C15u) >>
                                 (64 - URLFILTER_SHORTCUT_BITS_LOG2));
}

// Where rules live: their texts (owned; each followed by a NUL and what a URL
// must contain for the rule to match: its lower-case shortcut, or a literal
// its expression requires), an id for each text, and the parsed rules that
// requests needed lately.
struct rule_storage_t {
    std::unordered_map<int32_t, char *> rule_texts;
    std::unordered_map<std::string_view, int32_t> known_texts;  // views of rule_texts
    OvLRUCache<int32_t, rule_ptr> rule_cache;
    urlfilter_context_t *engine;

    explicit rule_storage_t(uint32_t capacity) : rule_cache(capacity) {}
};

rule_ptr storage_get(rule_storage_t *storage, int32_t id);
rule_ptr storage_find_text(rule_storage_t *storage, std::string_view text);
void storage_remove(rule_storage_t *storage, int32_t id);
// Stores a text (malloc'ed; `length` bytes before its NUL) under `id` and
// takes it over. Throws std::bad_alloc, after which nothing is stored and the
// text is freed.
void storage_add_text(rule_storage_t *storage, int32_t id,
                      std::unique_ptr<char, void (*)(void *)> text, size_t length);

struct urlfilter_s {
    urlfilter_context_t context;  // logger, redirects, match context, parser expressions
    rule_storage_t storage;
    table_set_t document_tables;
    table_set_t request_tables;
    table_set_t badfilter_tables;
    std::unordered_map<std::string, index_entry_t> badfilter_by_text;
    std::unordered_map<uint32_t, std::vector<int32_t>> badfilter_by_hash;
    int32_t next_id = 1;
    // Rules whose expression hit the match limit on some URL: each is
    // reported once, and kept (a hostile URL must not strip rules).
    std::unordered_set<int32_t> limit_reported;

    explicit urlfilter_s(uint32_t capacity) : storage(capacity) {}
};

// The first 8 bytes of a shortcut (fewer, zero-padded, when it is shorter).
inline uint64_t shortcut_head(const char *bytes, size_t length) {
    uint64_t head = 0;
    memcpy(&head, bytes, length < 8 ? length : 8);
    return head;
}

// The text with its "domain=" option cut out, for comparing badfilter rules
// with the rules they cancel.
std::string strip_domain_option(std::string_view text);

// Index placement; see urlfilter_index.cc.
// `prefilter` (stored after the rule's text) is what the URL must contain.
void index_add_rule(urlfilter_s *engine, const cached_rule_t *rule, int32_t id,
                    const char *prefilter, uint32_t prefilter_len);
void index_remove_rule(urlfilter_s *engine, const cached_rule_t *rule, int32_t id);
