#include "core/filtering/common/cosmetic_modifiers.h"

#include <cstring>
#include <string>

#include "core/commons/strview.h"

namespace {

const char kFn[] = "cosmetic_modifiers_parse";
const char kSpecialChars[] = "[]\\,";

int handle_app(const char *value, size_t length, cosmetic_modifier_target_t *target,
               logger_s *logger) {
    rule_apps_release(&target->modifiers->apps);
    return rulecommon_extract_apps(value, length, &target->modifiers->apps, logger);
}

int handle_domain(const char *value, size_t length, cosmetic_modifier_target_t *target,
                  logger_s *logger) {
    rule_domains_release(target->domains);
    if (extract_rule_domains_with_delim(value, length, '|', target->domains, logger) != 0) {
        return -1;
    }
    *target->generic = rule_domains_generic(target->domains);
    return 0;
}

int handle_path(const char *value, size_t length, cosmetic_modifier_target_t *target,
                logger_s *logger) {
    path_matcher_free(target->modifiers->path);
    target->modifiers->path = path_matcher_parse(logger, length, value);
    return target->modifiers->path == nullptr ? -1 : 0;
}

// Finds the end of a name or value: the first unescaped ',' or ']' (or '=' for
// a name). Returns `length` when there is none.
size_t scan_to(const char *text, size_t length, size_t pos, const char *stops) {
    for (; pos < length; ++pos) {
        if (text[pos] == '\\' && pos + 1 < length && strchr(kSpecialChars, text[pos + 1])) {
            ++pos;
        } else if (strchr(stops, text[pos]) != nullptr) {
            return pos;
        }
    }
    return length;
}

const cosmetic_modifier_desc_t *find_modifier(std::string_view name) {
    for (size_t i = 0; i < COSMETIC_MODIFIER_COUNT; ++i) {
        if (name == COSMETIC_MODIFIERS[i].name) {
            return &COSMETIC_MODIFIERS[i];
        }
    }
    return nullptr;
}

// Modifiers that share a handler ("path" and "path=") fill the same field, so
// they share the bit that catches a second use.
unsigned handler_bit(const cosmetic_modifier_desc_t *desc) {
    size_t i = 0;
    while (COSMETIC_MODIFIERS[i].handler != desc->handler) {
        ++i;
    }
    return 1u << i;
}

// Parses the modifiers between "[$" and "]" into the scratch target.
int parse_list(const char *text, size_t end, cosmetic_modifier_target_t *scratch,
               logger_s *logger) {
    unsigned seen = 0;  // one bit per handler: "path" and "path=" share one
    for (size_t pos = 2; pos <= end;) {
        size_t name_end = scan_to(text, end, pos, "=,");
        bool has_value = name_end < end && text[name_end] == '=';
        std::string_view name(text + pos, name_end - pos + (has_value ? 1 : 0));
        const cosmetic_modifier_desc_t *desc = find_modifier(name);
        if (desc == nullptr) {
            logger_log(logger, LOG_LEVEL_WARN, "%s(): Unknown modifier: %.*s", kFn,
                       static_cast<int>(name.size()), name.data());
            return -1;
        }
        size_t value_end = has_value ? scan_to(text, end, name_end + 1, ",") : name_end;
        std::string value = has_value
                                ? strview::unescape({text + name_end + 1, value_end - name_end - 1},
                                                    '\\', desc->special_chars)
                                : std::string();
        if (desc->value_required && value.empty()) {
            logger_log(logger, LOG_LEVEL_WARN, "%s(): Modifier '%s' requires a value", kFn,
                       desc->name);
            return -1;
        }
        unsigned bit = handler_bit(desc);
        if (seen & bit) {
            logger_log(logger, LOG_LEVEL_WARN, "%s(): Duplicate modifier: %.*s", kFn,
                       static_cast<int>(name.size()), name.data());
            return -1;
        }
        seen |= bit;
        if (desc->handler(value.data(), value.size(), scratch, logger) != 0) {
            return -1;
        }
        pos = value_end + 1;
    }
    return 0;
}

}  // namespace

const cosmetic_modifier_desc_t COSMETIC_MODIFIERS[] = {
    {"app=", true, kSpecialChars, handle_app},
    {"domain=", true, kSpecialChars, handle_domain},
    {"path=", true, kSpecialChars, handle_path},
    {"path", false, kSpecialChars, handle_path},
};
const size_t COSMETIC_MODIFIER_COUNT = sizeof(COSMETIC_MODIFIERS) / sizeof(COSMETIC_MODIFIERS[0]);

int cosmetic_modifiers_parse(const char *text, size_t length, size_t *consumed,
                             cosmetic_modifier_target_t *target, logger_s *logger) {
    *consumed = 0;
    if (length < 2 || text[0] != '[' || text[1] != '$') {
        return 0;
    }
    size_t end = scan_to(text, length, 2, "]");
    if (end == length) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Modifier list is not closed: %.*s", kFn,
                   static_cast<int>(length), text);
        return -1;
    }
    if (end == 2) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Empty modifier list", kFn);
        return -1;
    }
    cosmetic_modifiers_t modifiers{};
    rule_domains_t domains{};
    bool generic = *target->generic;
    cosmetic_modifier_target_t scratch{&modifiers, &domains, &generic};
    if (parse_list(text, end, &scratch, logger) != 0) {
        cosmetic_modifiers_release(&modifiers);
        rule_domains_release(&domains);
        return -1;
    }
    cosmetic_modifiers_release(target->modifiers);
    *target->modifiers = modifiers;
    if (!rule_domains_empty(&domains)) {
        rule_domains_release(target->domains);
        *target->domains = domains;
        *target->generic = generic;
    }
    *consumed = end + 1;
    return 0;
}

void cosmetic_modifiers_release(cosmetic_modifiers_t *modifiers) {
    rule_apps_release(&modifiers->apps);
    path_matcher_free(modifiers->path);
    modifiers->path = nullptr;
}
