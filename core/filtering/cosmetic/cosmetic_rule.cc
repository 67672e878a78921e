#include "core/filtering/cosmetic/cosmetic_rule.h"

#include <cstdlib>

bool cosmetic_rule_is_exception(const cosmetic_rule_t *rule) {
    return (rule->flags & COSMETIC_EXCEPTION) != 0;
}

bool cosmetic_rule_has_domains(const cosmetic_rule_t *rule) {
    return !rule_domains_empty(&rule->domains);
}

bool cosmetic_rule_has_apps(const cosmetic_rule_t *rule) {
    return rule->modifiers != nullptr && (!string_set_empty(rule->modifiers->apps.permitted) ||
                                          !string_set_empty(rule->modifiers->apps.restricted));
}

bool cosmetic_rule_has_path(const cosmetic_rule_t *rule) {
    return rule->modifiers != nullptr && rule->modifiers->path != nullptr;
}

void scriptlet_call_free(scriptlet_call_t *call) {
    if (call == nullptr) {
        return;
    }
    free(call->args);
    free(call->storage);
    free(call);
}

void cosmetic_rule_free(cosmetic_rule_t *rule) {
    if (rule == nullptr) {
        return;
    }
    rule_domains_release(&rule->domains);
    if (rule->modifiers != nullptr) {
        cosmetic_modifiers_release(rule->modifiers);
        free(rule->modifiers);
    }
    scriptlet_call_free(rule->call);
    free(rule->text);
    free(rule->content);
    free(rule);
}
