#include "core/filtering/urlfilter/urlfilter.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/filtering/urlfilter/required_literal.h"
#include "core/filtering/urlfilter/rule_parser.h"
#include "core/filtering/urlfilter/urlfilter_internal.h"

urlfilter_s *urlfilter_new(logger_s *logger, uint32_t cache_capacity) {
    auto *engine = new (std::nothrow) urlfilter_s(cache_capacity);
    if (engine == nullptr) {
        return nullptr;
    }
    urlfilter_context_init(&engine->context, logger, true);
    engine->storage.engine = &engine->context;
    return engine;
}

void urlfilter_free(urlfilter_s *engine) {
    if (engine == nullptr) {
        return;
    }
    for (auto &[id, text] : engine->storage.rule_texts) {
        free(text);
    }
    urlfilter_context_release(&engine->context);
    delete engine;
}

const redirect_resources_t *urlfilter_redirects(const urlfilter_s *engine) {
    return engine->context.redirects;
}

size_t urlfilter_rule_count(const urlfilter_s *engine) {
    return engine->storage.rule_texts.size();
}

namespace {

std::string required_literal_of(const cached_rule_t &rule) {
    if (rule.pattern_len >= 2 && rule.pattern[0] == '/' &&
        rule.pattern[rule.pattern_len - 1] == '/') {
        return regex_required_literal(rule.pattern + 1, rule.pattern_len - 2);
    }
    return "";
}

}  // namespace

int urlfilter_addrule(urlfilter_s *engine, const char *text, size_t length, int32_t user_tag) {
    // Stored texts are C strings, re-parsed on demand: a NUL inside would cut
    // the rule short later and make it another rule.
    if (memchr(text, '\0', length) != nullptr) {
        return RULE_PARSE_REJECTED;
    }
    cached_rule_t rule{};
    int rc = parse_rule(&engine->context, text, length, user_tag, &rule);
    if (rc != RULE_PARSE_OK) {
        return rc;
    }
    // The parsed rule is released however this ends, memory running out
    // (std::bad_alloc) included.
    std::unique_ptr<cached_rule_t, decltype(&rule_release)> parsed(&rule, rule_release);
    std::string_view parsed_text(rule.text, rule.text_len);
    if (engine->storage.known_texts.count(parsed_text) != 0) {
        return URLFILTER_DUPLICATE;
    }
    // What the URL must contain for the rule to match: its shortcut, or for an
    // expression without one, a literal every match of it holds.
    std::string prefilter = rule.shortcut ? rule.shortcut : required_literal_of(rule);
    size_t shortcut_len = prefilter.size();
    std::unique_ptr<char, void (*)(void *)> copy(
        static_cast<char *>(malloc(parsed_text.size() + shortcut_len + 2)), free);
    if (copy == nullptr) {
        return RULE_PARSE_FAILED;
    }
    memcpy(copy.get(), parsed_text.data(), parsed_text.size());
    copy.get()[parsed_text.size()] = '\0';
    char *shortcut = copy.get() + parsed_text.size() + 1;
    memcpy(shortcut, prefilter.c_str(), shortcut_len + 1);
    int32_t id = engine->next_id;
    storage_add_text(&engine->storage, id, std::move(copy), parsed_text.size());
    ++engine->next_id;
    try {
        index_add_rule(engine, &rule, id, shortcut, static_cast<uint32_t>(shortcut_len));
    } catch (...) {
        // A rule half in the index would match without its text.
        index_remove_rule(engine, &rule, id);
        storage_remove(&engine->storage, id);
        throw;
    }
    return URLFILTER_ADDED;
}

int urlfilter_clearrule(urlfilter_s *engine, const char *text) {
    logger_log(engine->context.logger, LOG_LEVEL_TRACE, "%s(): Called with rule: %s",
               "urlfilter_clearrule", text);
    while (*text == ' ' || *text == '\t') {
        ++text;  // stored texts start after their leading blanks
    }
    rule_ptr rule = storage_find_text(&engine->storage, text);
    if (rule == nullptr) {
        return 1;
    }
    int32_t id = rule->id;
    index_remove_rule(engine, rule.get(), id);
    storage_remove(&engine->storage, id);
    return 0;
}
