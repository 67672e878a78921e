#include "core/proxy/browserapi/whitelist_cookie_manager.h"

#include "core/commons/encoding.h"

namespace {

constexpr uint32_t kCookieCapacity = 256;

}  // namespace

const std::string &whitelist_cookie_name(int kind) {
    static const std::string safebrowsing = uuid_v4();
    static const std::string parental = uuid_v4();
    static const std::string none;
    switch (kind) {
        case WHITELIST_COOKIE_SAFEBROWSING:
            return safebrowsing;
        case WHITELIST_COOKIE_PARENTAL:
            return parental;
        default:
            return none;
    }
}

OvWhitelistCookieManager::OvWhitelistCookieManager(int lifetimeSeconds)
    : log("OvWhitelistCookieManager", -1),
      cookies(kCookieCapacity, int64_t{lifetimeSeconds} * 1000, true) {}

std::string OvWhitelistCookieManager::cacheKey(int kind, std::string_view domain) {
    return std::to_string(kind) + ":" + std::string(domain);
}

std::string OvWhitelistCookieManager::makeCookie(int kind, std::string_view domain) {
    const std::string &name = whitelist_cookie_name(kind);
    if (name.empty()) {
        return {};
    }
    std::string cookie = domain == "localhost"
                             ? string_format("%s=true; Domain=; Path=/", name.c_str())
                             : string_format("%s=true; Domain=.%.*s; Path=/", name.c_str(),
                                             static_cast<int>(domain.size()), domain.data());
    {
        std::lock_guard<std::mutex> guard(lock);
        cookies.put(cacheKey(kind, domain), cookie);
    }
    issued.fetch_add(1, std::memory_order_relaxed);
    // The name is the secret that lets a site through: logs get the kind only.
    log.log(LOG_LEVEL_DEBUG, "%s(): cookie of kind %d for '%.*s'", "makeCookie", kind,
            static_cast<int>(domain.size()), domain.data());
    return cookie;
}

bool OvWhitelistCookieManager::recentlyIssued(int kind, std::string_view domain) {
    std::lock_guard<std::mutex> guard(lock);
    return cookies.get(cacheKey(kind, domain)) != nullptr;
}
