#include "tests/support/rule_breakdown.h"

#include <algorithm>
#include <vector>

#include "core/filtering/urlfilter/rule_options.h"

namespace {

std::vector<std::string> keys(const string_set_t *set, const char *prefix, const char *suffix) {
    std::vector<std::string> out;
    struct Ctx {
        std::vector<std::string> *out;
        const char *prefix, *suffix;
    } ctx{&out, prefix, suffix};
    string_set_foreach(
        set,
        [](void *arg, const char *key, size_t length) {
            auto *c = static_cast<Ctx *>(arg);
            c->out->push_back(c->prefix + std::string(key, length) + c->suffix);
            return 0;
        },
        &ctx);
    return out;
}

std::string domain_list(const rule_domains_t &d) {
    std::vector<std::string> all = keys(d.permitted, "", "");
    for (auto *list : {&d.permitted_any_tld}) {
        auto more = keys(*list, "", ".*");
        all.insert(all.end(), more.begin(), more.end());
    }
    auto restricted = keys(d.restricted, "~", "");
    auto restricted_any = keys(d.restricted_any_tld, "~", ".*");
    all.insert(all.end(), restricted.begin(), restricted.end());
    all.insert(all.end(), restricted_any.begin(), restricted_any.end());
    std::sort(all.begin(), all.end());
    std::string text;
    for (const std::string &item : all) {
        text += (text.empty() ? "" : "|") + item;
    }
    return text;
}

std::string types(uint32_t permitted, uint32_t restricted) {
    std::string text;
    for (unsigned bit = 0; bit < CONTENT_TYPE_COUNT; ++bit) {
        if (permitted & (1u << bit)) {
            text += std::string("+") + content_type_name(bit);
        }
        if (restricted & (1u << bit)) {
            text += std::string("-") + content_type_name(bit);
        }
    }
    return text;
}

}  // namespace

std::string rule_breakdown(const cached_rule_t &rule) {
    std::string flags;
    for (unsigned bit = 0; bit < RULE_FLAG_COUNT; ++bit) {
        if (rule.flags & (1u << bit)) {
            flags += (flags.empty() ? "" : "|") + std::string(rule_flag_name(bit));
        }
    }
    std::string out = "flags=" + flags + " pattern=" + std::string(rule.pattern, rule.pattern_len) +
                      " shortcut=" + (rule.shortcut ? rule.shortcut : "");
    if (rule.party != RULE_PARTY_ANY) {
        out += rule.party == RULE_PARTY_THIRD ? " party=third" : " party=first";
    }
    const rule_options_t *o = rule.options;
    if (o == nullptr) {
        return out;
    }
    if (o->permitted_types || o->restricted_types) {
        out += " types=" + types(o->permitted_types, o->restricted_types);
    }
    if (!rule_domains_empty(&o->domains)) {
        out += " domains=" + domain_list(o->domains);
    }
    if (!rule_domains_empty(&o->denyallow)) {
        out += " denyallow=" + domain_list(o->denyallow);
    }
    if (!string_set_empty(o->apps.permitted) || !string_set_empty(o->apps.restricted)) {
        rule_domains_t as_lists{o->apps.permitted, o->apps.restricted, nullptr, nullptr};
        out += " apps=" + domain_list(as_lists);
    }
    if (o->badfilter_text != nullptr) {
        out += std::string(" badfilter=") + o->badfilter_text;
    }
    return out;
}
