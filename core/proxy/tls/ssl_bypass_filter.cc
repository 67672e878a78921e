#include "core/proxy/tls/ssl_bypass_filter.h"

namespace {

constexpr uint32_t kRecentResultsCapacity = 300;
constexpr int64_t kRecentResultsLifetimeMs = 600000;

}  // namespace

OvSslBypassFilter::OvSslBypassFilter()
    : log("OvSslBypassFilter", -1),
      recentResults(kRecentResultsCapacity, kRecentResultsLifetimeMs, true) {}

// Members go in reverse order: the cache, the mutex, then the logger.
OvSslBypassFilter::~OvSslBypassFilter() = default;

void OvSslBypassFilter::setHandler(Handler newHandler, void *user) {
    handler = newHandler;
    handlerUser = user;
}

void OvSslBypassFilter::resetHandler() {
    handler = nullptr;
    handlerUser = nullptr;
}

void OvSslBypassFilter::releaseContext(OvSslCheckContext *context) {
    if (context == nullptr) {
        return;
    }
    urlfilter_multirules_free(&context->matchedRules);
    std::vector<uint8_t>().swap(context->serverHandshake);
    delete context;
}

void OvSslBypassFilter::getServerHandshake(const OvSslCheckContext *context,
                                           std::vector<uint8_t> &out) const {
    if (context->state != OvSslCheckContext::kServerHandshakeComplete) {
        out.clear();
        return;
    }
    if (&out != &context->serverHandshake) {
        out = context->serverHandshake;
    }
}

void OvSslBypassFilter::rememberResult(const std::string &key, const std::string &result) {
    std::lock_guard<std::mutex> guard(lock);
    recentResults.put(key, result);
}

bool OvSslBypassFilter::recentResult(const std::string &key, std::string *result) {
    std::lock_guard<std::mutex> guard(lock);
    const std::string *found = recentResults.get(key);
    if (found == nullptr) {
        return false;
    }
    *result = *found;
    return true;
}
