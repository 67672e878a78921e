#include "core/proxy/tls/ssl_bypass_filter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/commons/logger.h"
#include "core/filtering/urlfilter/urlfilter.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(OvSslBypassFilter, ReleaseOfNullDoesNothing) {
    OvSslBypassFilter filter;
    filter.releaseContext(nullptr);
}

// The context owns a real match result: releasing it must free the result's
// rule views (the sanitizer's leak check sees any left behind).
TEST(OvSslBypassFilter, ReleaseFreesTheMatchResult) {
    LogHandle log("bypass_test", LOG_LEVEL_ERROR);
    urlfilter_s *engine = urlfilter_new(log.get(), URLFILTER_DEFAULT_CACHE_CAPACITY);
    const std::string rule = "||ads.example^";
    ASSERT_EQ(urlfilter_addrule(engine, rule.data(), rule.size(), 0), 0);
    const std::string url = "https://ads.example/x.js";
    urlfilter_request_t request{};
    request.url = url.c_str();
    request.url_len = static_cast<uint32_t>(url.size());
    auto *context = new OvSslCheckContext;
    context->matchedRules = urlfilter_matchurl(engine, &request);
    ASSERT_GT(context->matchedRules.lists[URLFILTER_LIST_BASIC].count, 0u);
    context->serverHandshake.assign(100, 0x16);
    urlfilter_free(engine);
    OvSslBypassFilter filter;
    filter.releaseContext(context);
}

TEST(OvSslBypassFilter, ServerHandshakeOnlyOnceComplete) {
    struct Row {
        const char *name;
        int state;
        bool same_vector;
        Bytes expected;
    } rows[] = {
        {"complete", OvSslCheckContext::kServerHandshakeComplete, false, {22, 3, 3}},
        {"complete, into its own vector",
         OvSslCheckContext::kServerHandshakeComplete,
         true,
         {22, 3, 3}},
        {"not complete: emptied even if it held data", 2, false, {}},
        {"fresh context", 0, false, {}},
    };
    OvSslBypassFilter filter;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        OvSslCheckContext context;
        context.state = row.state;
        context.serverHandshake = {22, 3, 3};
        Bytes out = {9, 9, 9, 9};
        Bytes &target = row.same_vector ? context.serverHandshake : out;
        filter.getServerHandshake(&context, target);
        EXPECT_EQ(target, row.expected);
    }
}

TEST(OvSslBypassFilter, RecentResults) {
    OvSslBypassFilter filter;
    std::string result;
    EXPECT_FALSE(filter.recentResult("bank.example", &result));
    filter.rememberResult("bank.example", "bypass");
    ASSERT_TRUE(filter.recentResult("bank.example", &result));
    EXPECT_EQ(result, "bypass");
}

}  // namespace
