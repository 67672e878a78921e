#include "core/proxy/proxy_filter.h"

#include <typeinfo>
#include <vector>

#include "core/filtering/converter/rule_converter.h"
#include "core/filtering/converter/rule_syntax.h"
#include "core/proxy/browserapi/whitelist_cookie_manager.h"
#include "core/proxy/filter_content.h"
#include "core/proxy/filter_kinds.h"
#include "core/proxy/filter_url.h"
#include "core/proxy/tls/ssl_bypass_filter.h"
#include "core/proxy/tls/ssl_domain_filter.h"

namespace {

// The order in which rules are offered: cosmetic and HTML rules first, so
// that a rule the content filter takes is never tried as a URL pattern.
const std::vector<std::type_index> kRuleFilters = {
    typeid(OvFilterContent),
    typeid(OvFilterHtml),
    typeid(OvFilterUrl),
    typeid(OvFilterNetwork),
};

constexpr int kCookieLifetimeSeconds = 10;

// Offers a rule to the rule filters in order while `go_on` holds for the
// last status; the status starts at "not mine", which is what a walk that
// meets no filter leaves. `asked` tells whether any filter was asked.
template <typename Op, typename GoOn>
int offer(const OvFilterRegistry &registry, Op op, GoOn go_on, bool *asked) {
    int status = OV_FILTER_NOT_MINE;
    *asked = false;
    for (std::type_index type : kRuleFilters) {
        OvFilter *filter = registry.get(type);
        if (filter == nullptr) {
            continue;
        }
        *asked = true;
        status = op(*filter);
        if (!go_on(status)) {
            break;
        }
    }
    return status;
}

struct Conversion {
    conv_rules_t rules{};
    ~Conversion() { conv_rules_free(&rules); }
};

}  // namespace

OvProxyFilter::OvProxyFilter()
    : userscriptSlot(std::make_unique<std::unique_ptr<OvUserscriptRegistry>>()),
      log("OvProxyFilter", -1),
      registry(std::make_unique<OvFilterRegistry>()),
      sslDomainFilter(std::make_unique<OvSslDomainFilter>()),
      sslBypassFilter(std::make_unique<OvSslBypassFilter>()),
      ruleConverter(rule_converter_alloc(), ConverterDeleter(rule_converter_free)),
      cookieManager(std::make_unique<OvWhitelistCookieManager>(kCookieLifetimeSeconds)) {}

OvProxyFilter::~OvProxyFilter() {
    shutdown();
}

int OvProxyFilter::offerAdd(const char *rule, size_t length, int tag, bool *asked) {
    return offer(
        *registry, [&](OvFilter &f) { return f.addRule(rule, length, tag); },
        [](int status) { return status == OV_FILTER_NOT_MINE; }, asked);
}

int OvProxyFilter::offerClear(const std::string &rule, bool *asked) {
    return offer(
        *registry, [&](OvFilter &f) { return f.clearRule(rule); },
        [](int status) { return status != OV_FILTER_DONE; }, asked);
}

int OvProxyFilter::addRule(const char *rule, size_t length, int tag) {
    if (is_comment_rule(rule, length)) {
        return OV_PROXY_RULE_ADDED;
    }
    bool asked = false;
    int status = offerAdd(rule, length, tag, &asked);
    if (status != OV_FILTER_DONE) {
        status = addConverted(rule, length, tag, status);
    }
    if (status == OV_FILTER_DONE) {
        return OV_PROXY_RULE_ADDED;
    }
    if (status == OV_FILTER_NOT_MINE) {
        log.log(LOG_LEVEL_WARN, "Rule rejected by all filters: %.*s", static_cast<int>(length),
                rule);
        return OV_PROXY_RULE_REJECTED;
    }
    log.log(LOG_LEVEL_WARN, "Rule isn't added: %.*s", static_cast<int>(length), rule);
    return OV_PROXY_RULE_FAILED;
}

// Offers each conversion of a rule no filter took; stops at the first one
// that is not taken (earlier ones stay). Returns the last status, or
// `status` when the rule does not convert.
int OvProxyFilter::addConverted(const char *rule, size_t length, int tag, int status) {
    Conversion conversion;
    if (ruleConverter != nullptr) {
        conversion.rules = convert_rule(ruleConverter.get(), rule, length);
    }
    const conv_rules_t &converted = conversion.rules;
    if (converted.count > 0 && log.debugEnabled()) {
        std::string all;
        for (uint32_t i = 0; i < converted.count; ++i) {
            all.append("\n").append(converted.rules[i].data, converted.rules[i].length);
        }
        log.log(LOG_LEVEL_DEBUG, "%s: rule was converted from '%.*s' to (num=%zu):%s", "addRule",
                static_cast<int>(length), rule, static_cast<size_t>(converted.count), all.c_str());
    }
    for (uint32_t i = 0; i < converted.count; ++i) {
        std::string text(converted.rules[i].data, converted.rules[i].length);
        bool asked = false;
        status = offerAdd(text.data(), text.size(), tag, &asked);
        if (status != OV_FILTER_DONE) {
            log.log(LOG_LEVEL_WARN, "Converted rule was rejected: %.*s",
                    static_cast<int>(text.size()), text.data());
            break;
        }
        std::lock_guard<std::mutex> guard(convertedRulesLock);
        convertedRules[text] = std::string(rule, length);
    }
    return status;
}

int OvProxyFilter::clearRule(const std::string &rule) {
    bool asked = false;
    int status = offerClear(rule, &asked);
    // A rule no filter holds as written may be a foreign one whose
    // conversions some filter holds: those are removed too (a filter that
    // failed asks for the same). With no filter at all there is nothing to
    // remove.
    if (status == OV_FILTER_DONE || (status == OV_FILTER_NOT_MINE && !asked)) {
        return 0;
    }
    status = clearConverted(rule, status);
    if (status == OV_FILTER_DONE || status == OV_FILTER_NOT_MINE) {
        return 0;
    }
    log.log(LOG_LEVEL_ERROR, "clear rule status %d", status);
    return OV_PROXY_RULE_FAILED;
}

// Offers every conversion of the rule for removal and forgets where each
// came from, whatever the filters answer. Returns the last status, or
// `status` when the rule does not convert.
int OvProxyFilter::clearConverted(const std::string &rule, int status) {
    Conversion conversion;
    if (ruleConverter != nullptr) {
        conversion.rules = convert_rule(ruleConverter.get(), rule.data(), rule.size());
    }
    const conv_rules_t &converted = conversion.rules;
    if (converted.count > 0 && log.debugEnabled()) {
        log.log(LOG_LEVEL_DEBUG, "%s: rule was converted from '%s' to: (num=%zu)", "clearRule",
                rule.c_str(), static_cast<size_t>(converted.count));
        for (uint32_t i = 0; i < converted.count; ++i) {
            log.log(LOG_LEVEL_DEBUG, "%.*s", static_cast<int>(converted.rules[i].length),
                    converted.rules[i].data);
        }
    }
    for (uint32_t i = 0; i < converted.count; ++i) {
        std::string text(converted.rules[i].data, converted.rules[i].length);
        bool asked = false;
        status = offerClear(text, &asked);
        std::lock_guard<std::mutex> guard(convertedRulesLock);
        convertedRules.erase(text);
    }
    return status;
}

OvFilter *OvProxyFilter::getFilter(std::type_index type) const {
    return registry ? registry->get(type) : nullptr;
}

bool OvProxyFilter::convertedFrom(const std::string &converted, std::string *source) {
    std::lock_guard<std::mutex> guard(convertedRulesLock);
    auto found = convertedRules.find(converted);
    if (found == convertedRules.end()) {
        return false;
    }
    *source = found->second;
    return true;
}

void OvProxyFilter::shutdown() {
    if (registry) {
        for (auto &[type, filter] : registry->all()) {
            filter->shutdown();
        }
        registry->clear();
    }
    if (sslDomainFilter) {
        sslDomainFilter->shutdown();
    }
    if (sslBypassFilter) {
        sslBypassFilter->resetHandler();
    }
    if (userscriptSlot) {
        userscriptSlot->reset();
    }
}
