// Runs the exported rule functions with the n-th C++ allocation of the
// calling thread failing, for every n until a call completes untouched: a
// std::bad_alloc must never reach the C caller, whichever allocation fails,
// and what the engine had allocated before is freed (the leak checker runs).
// The replaced global allocation functions fail only while armed, and only
// on the arming thread.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>
#include <memory>
#include <new>
#include <set>
#include <string>

#include "core/commons/logger.h"
#include "core/proxy/proxy_filter_factory.h"
#include "ovcore/ovcore.h"

namespace {

thread_local long t_allocations_left = -1;  // -1: not armed
thread_local bool t_failed = false;

void *allocate(size_t size) {
    if (t_allocations_left >= 0 && t_allocations_left-- == 0) {
        t_failed = true;
        throw std::bad_alloc();
    }
    void *block = malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

void *operator new(size_t size) {
    return allocate(size);
}
void *operator new[](size_t size) {
    return allocate(size);
}
void *operator new(size_t size, const std::nothrow_t &) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new[](size_t size, const std::nothrow_t &tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void *block) noexcept {
    free(block);
}
void operator delete[](void *block) noexcept {
    free(block);
}
void operator delete(void *block, size_t) noexcept {
    free(block);
}
void operator delete[](void *block, size_t) noexcept {
    free(block);
}
void operator delete(void *block, const std::nothrow_t &) noexcept {
    free(block);
}
void operator delete[](void *block, const std::nothrow_t &) noexcept {
    free(block);
}

namespace {

TEST(RuleApiAllocationTest, FailedAllocationsNeverReachTheCaller) {
    std::shared_ptr<OvProxyFilter> facade = ov_make_proxy_filter({});
    void *handle = &facade;
    ASSERT_EQ(OvCApiPFChangeFilteringState(handle, "example.org", false, nullptr, nullptr), 0);
    ASSERT_EQ(OvCApiPFAddRule(handle, "@@||example.net^$important,document"), 0);
    char *rule = nullptr;
    struct Row {
        const char *call;
        std::function<int()> run;
        // Success, the failure code, and for the verdict also 0: a failed
        // allocation inside the engine's matching drops matches.
        std::set<int> results;
        int failure;
    } rows[] = {
        {"is-filtered site",
         [&] { return OvCApiPFIsFiltered(handle, "https://example.org/a/b.html", "app", &rule); },
         {0, 2, 4},
         4},
        {"is-filtered exception",
         [&] { return OvCApiPFIsFiltered(handle, "https://www.example.net/", nullptr, &rule); },
         {0, 3, 4},
         4},
        {"is-filtered nothing",
         [&] { return OvCApiPFIsFiltered(handle, "https://plain.example/", nullptr, &rule); },
         {0, 4},
         4},
        {"add", [&] { return OvCApiPFAddRule(handle, "||ads.example^$third-party"); }, {0, 3}, 3},
        {"clear",
         [&] { return OvCApiPFClearRule(handle, "||ads.example^$third-party"); },
         {0, 3},
         3},
        {"change-state",
         [&] { return OvCApiPFChangeFilteringState(handle, "example.com", false, nullptr, &rule); },
         {0, -1},
         -1},
    };
    // The core's own messages about the failures are not what is tested.
    logger_set_default_callback(nullptr, nullptr);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.call);
        int failures = 0;
        for (long n = 0;; ++n) {
            t_failed = false;
            t_allocations_left = n;
            int result = row.run();
            t_allocations_left = -1;
            free(rule);
            rule = nullptr;
            EXPECT_EQ(row.results.count(result), 1u) << "allocation " << n << ": " << result;
            if (!t_failed) {
                break;
            }
            failures += result == row.failure ? 1 : 0;
        }
        EXPECT_GT(failures, 0);
    }
    logger_set_default_callback(logger_stderr_writer, nullptr);
}

}  // namespace
