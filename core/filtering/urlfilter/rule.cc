#define PCRE2_CODE_UNIT_WIDTH 8
#include "core/filtering/urlfilter/rule.h"

#include <pcre2.h>

#include <cstdlib>
#include <new>

#include "core/filtering/urlfilter/rule_options.h"

namespace {

const char *const kFlagNames[RULE_FLAG_COUNT] = {
    "CASE_SENSITIVE", "WHITELIST",   "IMPORTANT",    "GENERICBLOCK", "POPUP",    "REPLACE",
    "GENERICHIDE",    "ELEMHIDE",    "JSINJECT",     "CONTENT",      "URLBLOCK", "NETWORK",
    "DOCUMENT",       "CSP",         "BADFILTER",    "EXTENSION",    "STEALTH",  "COOKIE",
    "REDIRECT",       "REMOVEPARAM", "SPECIFICHIDE", "REMOVEHEADER", "HLS",
};

void delete_rule(cached_rule_t *rule) {
    rule_release(rule);
    delete rule;
}

}  // namespace

const char *rule_flag_name(unsigned bit) {
    return bit < RULE_FLAG_COUNT ? kFlagNames[bit] : nullptr;
}

void rule_release(cached_rule_t *rule) {
    if (rule->owner != nullptr) {
        delete rule->owner;
        *rule = {};
        return;
    }
    free(rule->shortcut);
    pcre2_code_free(rule->regex);
    rule_options_free(rule->options);
    free(rule->owned_text);
    *rule = {};
}

bool rule_view(const cached_rule_t *rule, cached_rule_t *view) {
    auto *owner = new (std::nothrow) rule_ptr(*rule->owner);
    if (owner == nullptr) {
        return false;
    }
    *view = *rule;
    view->owner = owner;
    return true;
}

rule_ptr rule_share(cached_rule_t *rule) {
    auto *copy = new (std::nothrow) cached_rule_t(*rule);
    if (copy == nullptr) {
        rule_release(rule);
        return nullptr;
    }
    *rule = {};
    try {
        return rule_ptr(copy, delete_rule);
    } catch (const std::bad_alloc &) {
        return nullptr;  // the deleter has run
    }
}
