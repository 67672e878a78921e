#include <cstdlib>
#include <cstring>

#include "core/filtering/urlfilter/rule_parser.h"
#include "core/filtering/urlfilter/urlfilter_internal.h"

rule_ptr storage_get(rule_storage_t *storage, int32_t id) {
    if (rule_ptr *cached = storage->rule_cache.get(id)) {
        return *cached;
    }
    auto text = storage->rule_texts.find(id);
    if (text == storage->rule_texts.end()) {
        return nullptr;
    }
    cached_rule_t parsed{};
    if (parse_rule(storage->engine, text->second, strlen(text->second), 0, &parsed) !=
        RULE_PARSE_OK) {
        return nullptr;
    }
    parsed.id = id;
    rule_ptr rule = rule_share(&parsed);
    if (rule != nullptr) {
        storage->rule_cache.put(id, rule);
    }
    return rule;
}

rule_ptr storage_find_text(rule_storage_t *storage, std::string_view text) {
    auto found = storage->known_texts.find(text);
    return found == storage->known_texts.end() ? nullptr : storage_get(storage, found->second);
}

void storage_remove(rule_storage_t *storage, int32_t id) {
    auto text = storage->rule_texts.find(id);
    if (text != storage->rule_texts.end()) {
        storage->known_texts.erase(std::string_view(text->second));
        free(text->second);
        storage->rule_texts.erase(text);
    }
    storage->rule_cache.take(id);
}

void storage_add_text(rule_storage_t *storage, int32_t id,
                      std::unique_ptr<char, void (*)(void *)> text, size_t length) {
    auto stored = storage->rule_texts.emplace(id, text.get()).first;
    try {
        storage->known_texts.emplace(std::string_view(text.get(), length), id);
    } catch (...) {
        storage->rule_texts.erase(stored);
        throw;
    }
    text.release();
}
