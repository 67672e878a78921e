#include "core/proxy/net/dns_resolver.h"

#include <event2/event.h>
#include <event2/util.h>
#include <netdb.h>

#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>

#include <thread_pool/thread_pool.hpp>

#include "core/proxy/net/event_loop.h"

// The lookups not yet reported. Jobs share it with the resolver so that a
// result arriving after the resolver is gone finds its id missing and is
// dropped.
struct ThreadPoolDnsResolver::Pending {
    // True when the id was pending; it is not any more.
    bool finish(uint64_t id) {
        std::lock_guard<std::mutex> guard(lock);
        return ids.erase(id) != 0;
    }

    std::mutex lock;  // guards nextId, ids
    uint64_t nextId = 1;
    std::unordered_set<uint64_t> ids;
};

struct AddrinfoDeleter {
    void operator()(addrinfo *list) const { freeaddrinfo(list); }
};

struct ThreadPoolDnsResolver::Job {
    void lookup() {
        addrinfo *list = nullptr;
        error = getaddrinfo(host ? host->c_str() : nullptr, service ? service->c_str() : nullptr,
                            hints ? &*hints : nullptr, &list);
        result.reset(list);
    }

    uint64_t id;
    std::shared_ptr<Pending> pending;
    std::optional<std::string> host;
    std::optional<std::string> service;
    std::optional<addrinfo> hints;  // the four request fields only
    Callback callback;
    int error = 0;
    std::unique_ptr<addrinfo, AddrinfoDeleter> result;
};

namespace {

std::optional<std::string> copy_text(const char *text) {
    return text ? std::optional<std::string>(text) : std::nullopt;
}

std::optional<addrinfo> copy_hints(const addrinfo *hints) {
    if (hints == nullptr) {
        return std::nullopt;
    }
    addrinfo copy{};
    copy.ai_flags = hints->ai_flags;
    copy.ai_family = hints->ai_family;
    copy.ai_socktype = hints->ai_socktype;
    copy.ai_protocol = hints->ai_protocol;
    return copy;
}

// Runs on the loop thread with the finished job as its argument. The job
// (and with it the address list) is released by the task that carries it.
void gai_helper(evutil_socket_t, short, void *arg) {
    auto *job = static_cast<ThreadPoolDnsResolver::Job *>(arg);
    if (job->pending->finish(job->id)) {
        job->callback(job->error, job->result.get());
    }
}

}  // namespace

ThreadPoolDnsResolver::ThreadPoolDnsResolver(OvEventLoop &eventLoop, size_t workers)
    : loop(eventLoop),
      pending(std::make_shared<Pending>()),
      pool(std::make_unique<thread_pool::ThreadPool>(workers)) {}

ThreadPoolDnsResolver::~ThreadPoolDnsResolver() {
    {
        std::lock_guard<std::mutex> guard(pending->lock);
        pending->ids.clear();
    }
    pool.reset();
}

uint64_t ThreadPoolDnsResolver::resolve(const char *host, const char *service,
                                        const addrinfo *hints, Callback callback) {
    auto job = std::make_shared<Job>();
    job->pending = pending;
    job->host = copy_text(host);
    job->service = copy_text(service);
    job->hints = copy_hints(hints);
    job->callback = std::move(callback);
    {
        std::lock_guard<std::mutex> guard(pending->lock);
        job->id = pending->nextId++;
        pending->ids.insert(job->id);
    }
    OvEventLoop *target = &loop;
    // The future is not waited on: the result travels through the loop.
    pool->Submit([job, target] {
        job->lookup();
        target->submit([job] { gai_helper(-1, EV_TIMEOUT, job.get()); });
    });
    return job->id;
}

void ThreadPoolDnsResolver::cancel(uint64_t id) {
    pending->finish(id);
}

const char *ThreadPoolDnsResolver::errorText(int error) {
    return evutil_gai_strerror(error);
}
