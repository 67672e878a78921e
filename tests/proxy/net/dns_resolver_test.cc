#include "core/proxy/net/dns_resolver.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>

#include <future>
#include <string>

#include "core/proxy/net/event_loop.h"

namespace {

struct Answer {
    int error;
    std::string text;  // the error text, or the first IPv4 address
    bool onLoop;
};

std::string first_ipv4(const addrinfo *list) {
    for (; list != nullptr; list = list->ai_next) {
        if (list->ai_family == AF_INET) {
            char text[INET_ADDRSTRLEN];
            auto *address = reinterpret_cast<const sockaddr_in *>(list->ai_addr);
            return inet_ntop(AF_INET, &address->sin_addr, text, sizeof(text));
        }
    }
    return "<none>";
}

class DnsResolverTest : public testing::Test {
  protected:
    DnsResolverTest() { loop.start(); }

    Answer Resolve(const char *host, int flags) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = flags;
        std::promise<Answer> answer;
        resolver.resolve(host, "80", &hints, [this, &answer](int error, addrinfo *result) {
            bool onLoop = OvEventLoop::running() == &loop;
            answer.set_value({error,
                              error ? ThreadPoolDnsResolver::errorText(error) : first_ipv4(result),
                              onLoop});
        });
        return answer.get_future().get();
    }
    OvEventLoop loop;
    // One worker takes the lookups in order, so their results reach the
    // loop in order too.
    ThreadPoolDnsResolver resolver{loop, 1};
};

// Only names that never leave the machine: numeric hosts, and localhost from
// the hosts file. The failure is a numeric-only lookup of a name, refused by
// getaddrinfo itself.
TEST_F(DnsResolverTest, ResolvesOnWorkersAndAnswersOnTheLoop) {
    struct Row {
        const char *host;
        int flags;
        int error;
        std::string text;
    } rows[] = {
        {"127.0.0.1", AI_NUMERICHOST, 0, "127.0.0.1"},
        {"localhost", 0, 0, "127.0.0.1"},
        {"nonexistent.invalid", AI_NUMERICHOST, EAI_NONAME,
         "nodename nor servname provided, or not known"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.host);
        Answer answer = Resolve(row.host, row.flags);
        EXPECT_EQ(answer.error, row.error);
        EXPECT_EQ(answer.text, row.text);
        EXPECT_TRUE(answer.onLoop);
    }
}

// libevent's wording, not the C library's.
TEST(DnsResolverTextTest, ErrorTextsAreLibevents) {
    struct Row {
        int error;
        const char *text;
    } rows[] = {
        {EAI_NONAME, "nodename nor servname provided, or not known"},
        {EAI_AGAIN, "temporary failure in name resolution"},
        {-90001, "Request canceled"},  // libevent's own code for a cancelled lookup
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.error);
        EXPECT_STREQ(ThreadPoolDnsResolver::errorText(row.error), row.text);
    }
}

// The cancel comes from the loop thread in the same task as the lookup, so
// the result cannot have been delivered yet; the address list is freed
// without a callback (ASan checks that it is freed, once). The lookup after
// it is answered after the cancelled one has been handed back.
TEST_F(DnsResolverTest, CancelledLookupIsNeverReported) {
    bool called = false;
    std::promise<uint64_t> started;
    loop.submit([&] {
        addrinfo hints{};
        hints.ai_flags = AI_NUMERICHOST;
        uint64_t id = resolver.resolve("127.0.0.1", nullptr, &hints,
                                       [&called](int, addrinfo *) { called = true; });
        resolver.cancel(id);
        resolver.cancel(id);  // twice: nothing more happens
        resolver.cancel(0);
        started.set_value(id);
    });
    EXPECT_NE(started.get_future().get(), 0u);
    EXPECT_EQ(Resolve("127.0.0.1", AI_NUMERICHOST).error, 0);
    EXPECT_FALSE(called);
}

TEST(DnsResolverLifetimeTest, ResultsAfterTheResolverIsGoneAreDropped) {
    OvEventLoop loop;  // not started: results wait in its queue
    bool called = false;
    {
        ThreadPoolDnsResolver resolver(loop, 1);
        addrinfo hints{};
        hints.ai_flags = AI_NUMERICHOST;
        resolver.resolve("127.0.0.1", nullptr, &hints,
                         [&called](int, addrinfo *) { called = true; });
    }
    loop.start();
    std::promise<void> done;
    loop.submit([&done] { done.set_value(); });
    done.get_future().wait();
    EXPECT_FALSE(called);
}

}  // namespace
