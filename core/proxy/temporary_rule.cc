#include "core/proxy/temporary_rule.h"

#include <memory>
#include <string>
#include <typeinfo>

#include "core/proxy/filter_url.h"
#include "core/proxy/net/event_loop.h"
#include "core/proxy/proxy_filter.h"
#include "core/proxy/rule_api.h"

namespace {

struct ExpiryRecord {
    std::string rule;
    OvProxyFilterProvider provider;
};

OvFilter *url_filter(const std::shared_ptr<OvProxyFilter> &facade) {
    return facade ? facade->getFilter(typeid(OvFilterUrl)) : nullptr;
}

// Runs on the loop thread when the lifetime has passed.
void on_expiry(const ExpiryRecord *record) {
    std::shared_ptr<OvProxyFilter> facade = record->provider.get(record->provider.arg);
    OvFilter *filter = url_filter(facade);
    if (filter == nullptr) {
        return;
    }
    int status = filter->clearRule(record->rule);
    if (status != OV_FILTER_DONE) {
        logger_log(ov_browser_api_log(), LOG_LEVEL_ERROR, "clearRule(%s) failed: %d",
                   record->rule.c_str(), status);
    }
    logger_log(ov_browser_api_log(), LOG_LEVEL_DEBUG, "clearRule(%s)", record->rule.c_str());
}

}  // namespace

int addTemporaryRule(const OvProxyFilterProvider &provider, OvEventLoop &loop, const char *prefix,
                     const char *rule, size_t length, uint64_t lifetime, const char **error) {
    logger_s *log = ov_browser_api_log();
    if (lifetime == 0) {
        *error = "Invalid timeout";
        return -1;
    }
    std::shared_ptr<OvProxyFilter> facade = provider.get(provider.arg);
    OvFilter *filter = url_filter(facade);
    int status = filter ? filter->addRule(rule, length, 0) : -1;
    if (status != OV_FILTER_DONE) {
        logger_log(log, LOG_LEVEL_ERROR, "%saddRule(): %d", prefix, status);
        *error = "Can't add a rule";
        return -1;
    }
    int shown = static_cast<int>(length);
    logger_log(log, LOG_LEVEL_DEBUG, "%saddRule(%.*s)", prefix, shown, rule);
    // The timer owns the record: it is freed after the expiry, or with the
    // loop when the loop goes first.
    auto record = std::make_shared<ExpiryRecord>(ExpiryRecord{std::string(rule, length), provider});
    int rc = loop.runAfter(lifetime, [record] { on_expiry(record.get()); });
    if (rc != 0) {
        logger_log(log, LOG_LEVEL_ERROR, "%sfailed to schedule notblock timeout event", prefix);
        *error = "Internal error";
        filter->clearRule(record->rule);
        return rc;
    }
    logger_log(log, LOG_LEVEL_DEBUG, "%srule '%.*s' expires after %us", prefix, shown, rule,
               static_cast<unsigned>(lifetime));
    return 0;
}
