// Which options may go together: each special flag has a descriptor naming
// the flags and content types a rule carrying it may also have.
#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/rule_parser.h"

namespace {

const char kFn[] = "validate_option";

enum class TypeRule { NotChecked, NoneAllowed, Subset, Required };

constexpr uint32_t kAllFlags = (1u << RULE_FLAG_COUNT) - 1;
constexpr uint32_t kBasicFlags =
    RULE_CASE_SENSITIVE | RULE_WHITELIST | RULE_IMPORTANT | RULE_BADFILTER;
constexpr uint32_t kHideTypes = CONTENT_XMLHTTPREQUEST | CONTENT_DOCUMENT | CONTENT_SUBDOCUMENT;

struct Descriptor {
    const char *name;
    uint32_t flag;
    uint32_t other_flags;
    TypeRule type_rule;
    uint32_t allowed_types;
    bool third_party_allowed;
    bool domains_allowed;
};

const Descriptor kDocument = {
    "DOCUMENT",
    RULE_DOCUMENT,
    RULE_POPUP | RULE_ELEMHIDE | RULE_JSINJECT | RULE_CONTENT | RULE_URLBLOCK | RULE_EXTENSION,
    TypeRule::NotChecked,
    0,
    true,
    true};

// In the order they are applied.
const Descriptor kDescriptors[] = {
    {"COOKIE", RULE_COOKIE, 0, TypeRule::NoneAllowed, 0, true, true},
    {"REPLACE", RULE_REPLACE, 0, TypeRule::Subset,
     CONTENT_OTHER | CONTENT_SCRIPT | CONTENT_STYLESHEET | CONTENT_OBJECT | CONTENT_XMLHTTPREQUEST |
         CONTENT_DOCUMENT | CONTENT_SUBDOCUMENT,
     true, true},
    {"POPUP", RULE_POPUP, RULE_DOCUMENT, TypeRule::NotChecked, 0, true, true},
    {"REDIRECT", RULE_REDIRECT, 0, TypeRule::NotChecked, 0, true, true},
    {"URLBLOCK", RULE_URLBLOCK, kAllFlags & ~RULE_GENERICBLOCK, TypeRule::NotChecked, 0, true,
     true},
    {"GENERICBLOCK", RULE_GENERICBLOCK, kAllFlags & ~RULE_URLBLOCK, TypeRule::NotChecked, 0, true,
     true},
    {"ELEMHIDE", RULE_ELEMHIDE, kAllFlags & ~(RULE_GENERICHIDE | RULE_SPECIFICHIDE),
     TypeRule::Subset, kHideTypes, true, true},
    {"GENERICHIDE", RULE_GENERICHIDE, kAllFlags & ~RULE_ELEMHIDE, TypeRule::Subset, kHideTypes,
     true, true},
    {"SPECIFICHIDE", RULE_SPECIFICHIDE, kAllFlags & ~RULE_ELEMHIDE, TypeRule::Subset, kHideTypes,
     true, true},
    {"REMOVEPARAM", RULE_REMOVEPARAM, 0, TypeRule::NotChecked, 0, true, true},
    {"REMOVEHEADER", RULE_REMOVEHEADER, 0, TypeRule::NotChecked, 0, true, true},
    {"STEALTH", RULE_STEALTH, 0, TypeRule::NotChecked, 0, true, true},
    {"HLS", RULE_HLS, 0, TypeRule::Subset, CONTENT_XMLHTTPREQUEST, true, true},
};

unsigned lowest_bit(uint32_t mask) {
    return static_cast<unsigned>(__builtin_ctz(mask));
}

bool has_domains(const rule_options_t *o) {
    return o != nullptr && (!rule_domains_empty(&o->domains) || !rule_domains_empty(&o->denyallow));
}

bool check(const urlfilter_context_t *engine, const cached_rule_t *rule, const Descriptor &d) {
    int text_len = static_cast<int>(rule->text_len);
    uint32_t outside = rule->flags & ~(d.flag | d.other_flags | kBasicFlags);
    if (outside != 0) {
        logger_log(engine->logger, LOG_LEVEL_WARN,
                   "%s(): detected incompatible options: %s -- %s (rule='%.*s')", kFn, d.name,
                   rule_flag_name(lowest_bit(outside)), text_len, rule->text);
        return false;
    }
    uint32_t types = rule->options ? rule->options->permitted_types : 0;
    if (d.type_rule == TypeRule::NoneAllowed && types != 0) {
        logger_log(engine->logger, LOG_LEVEL_WARN,
                   "%s(): rule with '%s' modifier may not contain any content type modifiers "
                   "(rule='%.*s')",
                   kFn, d.name, text_len, rule->text);
        return false;
    }
    if (d.type_rule == TypeRule::Required && types == 0) {
        logger_log(engine->logger, LOG_LEVEL_WARN,
                   "%s(): rule with '%s' modifier should have specified content type (rule='%.*s')",
                   kFn, d.name, text_len, rule->text);
        return false;
    }
    uint32_t foreign = types & ~d.allowed_types;
    if ((d.type_rule == TypeRule::Subset || d.type_rule == TypeRule::Required) && foreign != 0) {
        logger_log(engine->logger, LOG_LEVEL_WARN,
                   "%s(): detected incompatible content type: %s (rule='%.*s')", kFn,
                   content_type_name(lowest_bit(foreign)), text_len, rule->text);
        return false;
    }
    if (!d.third_party_allowed && rule->party != RULE_PARTY_ANY) {
        logger_log(engine->logger, LOG_LEVEL_WARN,
                   "%s(): third party modifier is not allowed for this rule: %.*s", kFn, text_len,
                   rule->text);
        return false;
    }
    if (!d.domains_allowed && has_domains(rule->options)) {
        logger_log(engine->logger, LOG_LEVEL_WARN,
                   "%s(): domain modifier is not allowed for this rule: %.*s", kFn, text_len,
                   rule->text);
        return false;
    }
    return true;
}

}  // namespace

bool validate_rule_options(urlfilter_context_t *engine, cached_rule_t *rule) {
    if (rule->flags & RULE_DOCUMENT) {
        return !(rule->flags & RULE_WHITELIST) || check(engine, rule, kDocument);
    }
    for (const Descriptor &d : kDescriptors) {
        if ((rule->flags & d.flag) && !check(engine, rule, d)) {
            return false;
        }
    }
    return true;
}
