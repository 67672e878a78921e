// The SSL bypass filter: serves the decision whether a TLS connection is
// intercepted or passed through. It keeps one check context per connection
// under check (the handshake scanner's state, the server's handshake records
// gathered so far and the URL filter's result for the connection), a handler
// that consumes bypass results, and a ten-minute cache of recent results.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/commons/logger.h"
#include "core/commons/lru_cache.h"
#include "core/filtering/urlfilter/urlfilter_results.h"
#include "core/proxy/tls/tls_scan.h"

// One connection under check; heap-allocated by its creator, who owns it
// until OvSslBypassFilter::releaseContext().
struct OvSslCheckContext {
    // The server side of the handshake has been gathered completely.
    static constexpr int kServerHandshakeComplete = 3;

    int state = 0;
    tls_scan_state scan{};
    std::vector<uint8_t> serverHandshake;
    urlfilter_multirules_t matchedRules{};
};

class OvSslBypassFilter {
  public:
    // Receives each bypass result: the context it is about and the decision
    // (true: pass the connection through uninspected).
    using Handler = void (*)(void *user, const OvSslCheckContext *context, bool bypass);

    OvSslBypassFilter();
    ~OvSslBypassFilter();
    OvSslBypassFilter(const OvSslBypassFilter &) = delete;
    OvSslBypassFilter &operator=(const OvSslBypassFilter &) = delete;

    void setHandler(Handler handler, void *user);
    // Forgets the handler: no result reaches anyone afterwards.
    void resetHandler();

    // Destroys the context's match result and handshake bytes and deletes it;
    // null is ignored.
    void releaseContext(OvSslCheckContext *context);

    // Copies the server's handshake into `out` once it is complete (nothing is
    // copied when `out` is that very vector); otherwise leaves `out` empty.
    void getServerHandshake(const OvSslCheckContext *context, std::vector<uint8_t> &out) const;

    // Recent results by key, ten minutes each; false when there is none.
    void rememberResult(const std::string &key, const std::string &result);
    bool recentResult(const std::string &key, std::string *result);

  private:
    LogHandle log;
    Handler handler = nullptr;
    void *handlerUser = nullptr;
    std::mutex lock;  // guards recentResults
    OvLRUTimeoutCache<std::string, std::string> recentResults;
};
