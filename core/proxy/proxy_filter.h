// OvProxyFilter, the facade through which the rest of the system reaches the
// filtering core. It owns the filters (at most one per type, in a registry),
// the SSL domain and bypass filters, a rule converter, the whitelist cookie
// manager and the userscript slot. Rule texts are offered to the rule
// filters in a fixed order; a rule no filter takes as written is converted
// from foreign syntaxes and each conversion offered in turn, remembering
// which source text every accepted conversion came from.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <typeindex>
#include <unordered_map>

#include "core/commons/logger.h"
#include "core/proxy/filter_registry.h"
#include "core/proxy/userscript_registry.h"

struct rule_converter_s;
class OvSslDomainFilter;
class OvSslBypassFilter;
class OvWhitelistCookieManager;

// OvProxyFilter::addRule() results.
enum {
    OV_PROXY_RULE_ADDED = 0,     // added (all its conversions), or a comment
    OV_PROXY_RULE_REJECTED = 1,  // no filter took it
    OV_PROXY_RULE_FAILED = 6,    // a filter failed
};

class OvProxyFilter {
  public:
    // Filters are registered afterwards (see proxy_filter_factory.h), before
    // any rule operation.
    OvProxyFilter();
    ~OvProxyFilter();
    OvProxyFilter(const OvProxyFilter &) = delete;
    OvProxyFilter &operator=(const OvProxyFilter &) = delete;

    // `tag` goes to the filters unchanged. Returns OV_PROXY_RULE_*. Throws
    // std::system_error only when a lock cannot be taken.
    int addRule(const char *rule, size_t length, int tag);
    // Returns 0 when removed or when no filter knew the rule, 6 when a filter
    // failed; a foreign rule's conversions are removed as well.
    int clearRule(const std::string &rule);

    // The filter registered for exactly this type, or null.
    OvFilter *getFilter(std::type_index type) const;
    OvSslBypassFilter &getSslBypassFilter() { return *sslBypassFilter; }
    OvSslDomainFilter &getSslDomainFilter() { return *sslDomainFilter; }
    OvWhitelistCookieManager &getCookieManager() { return *cookieManager; }
    OvFilterRegistry &getRegistry() { return *registry; }
    // The userscript registry the browser API fills; empty until then.
    std::unique_ptr<OvUserscriptRegistry> &userscripts() { return *userscriptSlot; }

    // The source text a converted rule that a filter accepted came from.
    bool convertedFrom(const std::string &converted, std::string *source);

    // Shuts the filters down and destroys them, flushes the SSL domain
    // filter, forgets the bypass handler and the userscripts. Called by the
    // destructor; may be called earlier, and again.
    void shutdown();

  private:
    using ConverterDeleter = std::function<void(rule_converter_s *)>;

    int offerAdd(const char *rule, size_t length, int tag, bool *asked);
    int offerClear(const std::string &rule, bool *asked);
    int addConverted(const char *rule, size_t length, int tag, int status);
    int clearConverted(const std::string &rule, int status);

    std::unique_ptr<std::unique_ptr<OvUserscriptRegistry>> userscriptSlot;
    LogHandle log;
    std::unique_ptr<OvFilterRegistry> registry;
    std::unique_ptr<OvSslDomainFilter> sslDomainFilter;
    std::unique_ptr<OvSslBypassFilter> sslBypassFilter;
    std::unique_ptr<rule_converter_s, ConverterDeleter> ruleConverter;
    std::unique_ptr<OvWhitelistCookieManager> cookieManager;
    std::mutex convertedRulesLock;  // guards convertedRules only
    // Converted rule text a filter accepted -> the source text.
    std::unordered_map<std::string, std::string> convertedRules;
};
