// Hosts call the rule functions from any thread: eight threads add, remove
// and query rules through the C interface on one facade at once. Run under
// ThreadSanitizer by `make test-tsan`; the final rule set shows that no
// operation was lost.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <latch>
#include <memory>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "core/proxy/filter_url.h"
#include "core/proxy/proxy_filter_factory.h"
#include "ovcore/ovcore.h"

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 120;

// Every operation's result, counted as a failure when unexpected.
int work(void *handle, int thread) {
    int failures = 0;
    auto expect = [&failures](bool ok) { failures += ok ? 0 : 1; };
    for (int round = 0; round < kRounds; ++round) {
        std::string host = "t" + std::to_string(thread) + "-" + std::to_string(round) + ".example";
        std::string rule = "||" + host + "^";
        std::string url = "http://" + host + "/a/b.html";
        expect(OvCApiPFAddRule(handle, rule.c_str()) == 0);
        expect(OvCApiPFIsFiltered(handle, url.c_str(), nullptr, nullptr) == 0);
        if (round % 2 == 1) {
            expect(OvCApiPFClearRule(handle, rule.c_str()) == 0);
        }
        if (round % 4 == 0) {
            char *site = nullptr;
            expect(OvCApiPFChangeFilteringState(handle, host.c_str(), false, nullptr, nullptr) ==
                   0);
            expect(OvCApiPFIsFiltered(handle, url.c_str(), "app.exe", &site) == 2);
            free(site);
        }
        if (round % 8 == 0) {
            expect(OvCApiPFChangeFilteringState(handle, host.c_str(), true, nullptr, nullptr) == 0);
        }
    }
    return failures;
}

TEST(CApiConcurrency, EightThreadsAddClearAndQuery) {
    std::shared_ptr<OvProxyFilter> facade = ov_make_proxy_filter({});
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    std::latch start(kThreads);  // all threads begin at once
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&facade, &failures, &start, t] {
            start.arrive_and_wait();
            failures[t] = work(&facade, t);
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
    // Per thread: the even rounds' blocking rules, and the site rules of
    // rounds 4, 12, 20, ... (switched off, never on again).
    size_t expected = kThreads * (kRounds / 2 + kRounds / 8);
    auto *url = static_cast<OvFilterUrl *>(facade->getFilter(typeid(OvFilterUrl)));
    EXPECT_EQ(url->ruleCount(), expected);
    char *site = nullptr;
    EXPECT_EQ(OvCApiPFIsFiltered(&facade, "http://t3-4.example/", nullptr, &site), 2);
    EXPECT_STREQ(site, "@@||t3-4.example^$important,document");
    free(site);
    EXPECT_EQ(OvCApiPFIsFiltered(&facade, "http://t3-8.example/", nullptr, nullptr), 0);
}

}  // namespace
