#include "core/filtering/cosmetic/rulecommon_storage.h"

#include <new>
#include <vector>

#include "core/filtering/cosmetic/cosmetic_parser.h"

namespace {

const char kApplyFn[] = "apply_whitelists";
const char kRemoveFn[] = "rulecommon_storage_remove_rule_by_text";

// Exceptions by key. Short lists (most keys have one exception); the table
// keeps the load factor the rule sets use.
using whitelist_map_t = std::unordered_map<std::string_view, std::vector<const cosmetic_rule_t *>>;
constexpr float kWhitelistLoadFactor = 0.77f;

void free_rules(cosmetic_rule_table_t *table) {
    for (auto &entry : *table) {
        cosmetic_rule_free(entry.second);
    }
    table->clear();
}

cosmetic_rule_t *take_rule(cosmetic_rule_table_t *table, std::string_view text) {
    auto found = table->find(text);
    if (found == table->end()) {
        return nullptr;
    }
    cosmetic_rule_t *rule = found->second;
    table->erase(found);
    return rule;
}

// Gives every normal rule of the main table the domains its text holds,
// dropping what folded exceptions added. A rule without domain entries has
// received no fold.
int reparse_domains(cosmetic_rule_table_t *rules, logger_s *logger) {
    int status = RULECOMMON_REMOVED;
    for (auto &entry : *rules) {
        cosmetic_rule_t *rule = entry.second;
        if (cosmetic_rule_is_exception(rule) || !cosmetic_rule_has_domains(rule)) {
            continue;
        }
        rule_domains_t domains;
        bool generic;
        if (cosmetic_parse_domains(rule, &domains, &generic, logger) != 0) {
            logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't reparse rule domains", kRemoveFn);
            status = RULECOMMON_REPARSE_FAILED;
            continue;
        }
        rule_domains_release(&rule->domains);
        rule->domains = domains;
        rule->flags = generic ? rule->flags | COSMETIC_GENERIC : rule->flags & ~COSMETIC_GENERIC;
    }
    return status;
}

// Exceptions of the main table by key. Main-table exceptions never have a
// path pattern (those live in the exception table), so all of them fold.
uint32_t collect_whitelists(const cosmetic_rule_table_t &rules, const rulecommon_pairing_t *pairing,
                            whitelist_map_t *map, logger_s *logger) {
    uint32_t count = 0;
    for (const auto &entry : rules) {
        const cosmetic_rule_t *rule = entry.second;
        if (cosmetic_rule_is_exception(rule)) {
            logger_log(logger, LOG_LEVEL_TRACE, "%s(): Found whitelist rule '%s'", kApplyFn,
                       rule->text);
            (*map)[pairing->key(rule)].push_back(rule);
            ++count;
        }
    }
    return count;
}

int fold_whitelists(cosmetic_rule_t *rule, const std::vector<const cosmetic_rule_t *> &whitelists,
                    const rulecommon_pairing_t *pairing, logger_s *logger) {
    for (const cosmetic_rule_t *whitelist : whitelists) {
        if (!cosmetic_rule_is_exception(whitelist)) {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): SHOULD NOT HAPPEN -- got normal rule in whitelist rules table!",
                       kApplyFn);
            continue;
        }
        if (pairing->quote_rule) {
            logger_log(logger, LOG_LEVEL_TRACE,
                       "%s(): Found whitelist '%s' that restricts an existing rule ^.^", kApplyFn,
                       rule->text);
        } else {
            logger_log(logger, LOG_LEVEL_TRACE,
                       "%s(): Found whitelist that restricts an existing rule ^.^", kApplyFn);
        }
        if (copy_domains_as_restrictions(&rule->domains, &whitelist->domains) != 0) {
            logger_log(logger, LOG_LEVEL_INFO,
                       "%s(): Couldn't populate rule '%s' domain exclusions from whitelist rule "
                       "'%s'",
                       kApplyFn, rule->text, whitelist->text);
            return -1;
        }
    }
    return 0;
}

int apply(rulecommon_storage_t *storage, const rulecommon_pairing_t *pairing, logger_s *logger) {
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Called, have %u rules", kApplyFn,
               static_cast<unsigned>(storage->rules.size()));
    whitelist_map_t map;
    map.max_load_factor(kWhitelistLoadFactor);
    uint32_t count = collect_whitelists(storage->rules, pairing, &map, logger);
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Got %u whitelist rules", kApplyFn, count);
    if (map.empty()) {
        return 0;
    }
    for (auto &entry : storage->rules) {
        cosmetic_rule_t *rule = entry.second;
        if (cosmetic_rule_is_exception(rule)) {
            continue;
        }
        auto found = map.find(pairing->key(rule));
        if (found != map.end() && fold_whitelists(rule, found->second, pairing, logger) != 0) {
            return -1;
        }
    }
    return 0;
}

}  // namespace

rulecommon_storage_t::~rulecommon_storage_t() {
    free_rules(&exceptions);
    free_rules(&rules);
}

bool rulecommon_rule_is_foldable(const cosmetic_rule_t *rule) {
    return cosmetic_rule_is_exception(rule) && cosmetic_rule_has_domains(rule) &&
           !cosmetic_rule_has_apps(rule) && !cosmetic_rule_has_path(rule);
}

int rulecommon_storage_add_rule(rulecommon_storage_t *storage, cosmetic_rule_t *rule) {
    std::string_view text(rule->text);
    if (storage->rules.count(text) != 0 || storage->exceptions.count(text) != 0) {
        return RULECOMMON_DUPLICATE;
    }
    bool set_aside = cosmetic_rule_is_exception(rule) && !rulecommon_rule_is_foldable(rule);
    try {
        (set_aside ? storage->exceptions : storage->rules).emplace(text, rule);
    } catch (const std::bad_alloc &) {
        return RULECOMMON_NO_MEMORY;
    }
    return RULECOMMON_ADDED;
}

int rulecommon_storage_remove_rule_by_text(rulecommon_storage_t *storage, std::string_view text,
                                           logger_s *logger) {
    cosmetic_rule_t *rule = take_rule(&storage->rules, text);
    if (rule == nullptr) {
        rule = take_rule(&storage->exceptions, text);
    }
    if (rule == nullptr) {
        return RULECOMMON_NOT_FOUND;
    }
    bool foldable = rulecommon_rule_is_foldable(rule);
    cosmetic_rule_free(rule);
    return foldable ? reparse_domains(&storage->rules, logger) : RULECOMMON_REMOVED;
}

int rulecommon_apply_whitelists(rulecommon_storage_t *storage, const rulecommon_pairing_t *pairing,
                                logger_s *logger) {
    try {
        return apply(storage, pairing, logger);
    } catch (const std::bad_alloc &) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate the whitelist table",
                   kApplyFn);
        return -1;
    }
}

int rulecommon_add_rule_text(rulecommon_storage_t *storage, cosmetic_parser_t *parser,
                             const char *text, size_t length, bool *dirty, const char *caller) {
    cosmetic_rule_t *rule;
    switch (cosmetic_parse_rule(parser, text, length, &rule)) {
        case COSMETIC_PARSE_OK:
            break;
        case COSMETIC_PARSE_NOT_COSMETIC:
            return COSMETIC_FILTER_NOT_MINE;
        case COSMETIC_PARSE_REJECTED:
            return COSMETIC_FILTER_REJECTED;
        default:
            return COSMETIC_FILTER_FAILURE;
    }
    int status = rulecommon_storage_add_rule(storage, rule);
    if (status == RULECOMMON_ADDED) {
        *dirty = true;
        return COSMETIC_FILTER_DONE;
    }
    cosmetic_rule_free(rule);
    if (status == RULECOMMON_NO_MEMORY) {
        logger_log(parser->logger, LOG_LEVEL_ERROR, "%s(): Couldn't store rule: %.*s", caller,
                   static_cast<int>(length), text);
        return COSMETIC_FILTER_FAILURE;
    }
    return COSMETIC_FILTER_DONE;
}

int rulecommon_remove_rule_text(rulecommon_storage_t *storage, const char *text, size_t length,
                                bool *dirty, logger_s *logger) {
    int status = rulecommon_storage_remove_rule_by_text(storage, {text, length}, logger);
    if (status == RULECOMMON_NOT_FOUND) {
        return COSMETIC_FILTER_NOT_MINE;
    }
    *dirty = true;
    return status == RULECOMMON_REMOVED ? COSMETIC_FILTER_DONE : COSMETIC_FILTER_FAILURE;
}
