// ThreadPoolDnsResolver: blocking getaddrinfo() lookups on a fixed pool of
// worker threads, so that the loop thread never waits on name resolution.
// Each result is handed back to the event loop and the callback runs there.
// The address list belongs to the resolver: it is valid during the callback
// only and freed right after it (or when the lookup is cancelled).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct addrinfo;
class OvEventLoop;

namespace thread_pool {
class ThreadPool;
}

class ThreadPoolDnsResolver {
  public:
    // `error` is a getaddrinfo() code (0 on success); `result` is null on
    // failure.
    using Callback = std::function<void(int error, addrinfo *result)>;

    // `loop` must outlive the resolver. Workers are started at once.
    explicit ThreadPoolDnsResolver(OvEventLoop &loop, size_t workers = 4);
    // Cancels every lookup not yet reported and waits for the workers to
    // finish the lookups they have begun.
    ~ThreadPoolDnsResolver();
    ThreadPoolDnsResolver(const ThreadPoolDnsResolver &) = delete;
    ThreadPoolDnsResolver &operator=(const ThreadPoolDnsResolver &) = delete;

    // Starts a lookup; `host` and `service` may be null as for getaddrinfo(),
    // `hints` may be null and is copied. Returns the lookup's id (never 0)
    // for cancel(). The callback runs on the loop thread, never before this
    // call has returned.
    uint64_t resolve(const char *host, const char *service, const addrinfo *hints,
                     Callback callback);
    // Forgets a lookup: its callback will not run. Ids of lookups already
    // reported (and 0) are ignored. Any thread; from the loop thread it is
    // certain to win against a result not yet delivered.
    void cancel(uint64_t id);

    // The text for a getaddrinfo() code, as libevent words it.
    static const char *errorText(int error);

    struct Pending;
    struct Job;

  private:
    OvEventLoop &loop;
    std::shared_ptr<Pending> pending;
    std::unique_ptr<thread_pool::ThreadPool> pool;
};
