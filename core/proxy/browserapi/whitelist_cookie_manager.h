// Whitelist cookies: when the user proceeds past a safebrowsing warning or
// enters the right parental-control password, the browser API answers with a
// cookie that lets the site through for a while. Each kind of exception has a
// cookie name drawn at random once per process, so pages cannot forge it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "core/commons/logger.h"
#include "core/commons/lru_cache.h"

enum {
    WHITELIST_COOKIE_SAFEBROWSING = 0,
    WHITELIST_COOKIE_PARENTAL = 1,
};

// The process-wide cookie name of a kind (a random version-4 UUID text, drawn
// on first use and never changed); empty for an unknown kind.
const std::string &whitelist_cookie_name(int kind);

class OvWhitelistCookieManager {
  public:
    // Cookies the manager hands out are remembered for `lifetimeSeconds`.
    explicit OvWhitelistCookieManager(int lifetimeSeconds);
    OvWhitelistCookieManager(const OvWhitelistCookieManager &) = delete;
    OvWhitelistCookieManager &operator=(const OvWhitelistCookieManager &) = delete;

    // The Set-Cookie text the browser API sends in its "X-Set-Cookie" header:
    // "<name>=true; Domain=.<domain>; Path=/" ("Domain=;" for "localhost",
    // which browsers refuse as a cookie domain); empty for an unknown kind.
    // The domain is used as given. The cookie is remembered for the lifetime.
    std::string makeCookie(int kind, std::string_view domain);

    // Whether a cookie of this kind was made for the domain within the
    // lifetime: the page that receives it is about to come back with it.
    bool recentlyIssued(int kind, std::string_view domain);

    // How many cookies the manager has made.
    uint32_t issuedCount() const { return issued.load(std::memory_order_relaxed); }

  private:
    static std::string cacheKey(int kind, std::string_view domain);

    LogHandle log;
    OvLRUTimeoutCache<std::string, std::string> cookies;
    std::atomic<uint32_t> issued{0};
    std::mutex lock;  // guards `cookies`
};
