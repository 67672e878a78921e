#include "core/proxy/host_interface.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/proxy/http/ov_http_headers.h"

namespace {

// What the host saw during the callback (the record is not valid after it).
struct Seen {
    uintptr_t leading;
    std::string name;
    std::vector<std::pair<std::string, std::string>> params;
    bool tailZero;
};

void record(void *arg, const OvHostEvent *event) {
    Seen seen{event->leading, event->name, {}, true};
    for (size_t i = 0; i < event->paramCount; ++i) {
        seen.params.emplace_back(event->params[i].name, event->params[i].value);
    }
    for (uintptr_t word : event->reserved) {
        seen.tailZero = seen.tailZero && word == 0;
    }
    static_cast<std::vector<Seen> *>(arg)->push_back(std::move(seen));
}

TEST(HostInterfaceTest, SendParametersHandsThePairsToTheHost) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    const std::map<std::string, std::string> params = {{"a", "1"}, {"b", ""}, {"url", "x?y"}};
    OvHttpHeaders withAgent;
    withAgent.addField("user-agent", "Agent/1.0");
    OvHttpHeaders withoutAgent;
    withoutAgent.addField("Host", "example.org");
    struct Row {
        const char *label;
        const OvHttpHeaders *headers;
        Pairs expected;
    } rows[] = {
        {"no head", nullptr, {{"a", "1"}, {"b", ""}, {"url", "x?y"}}},
        {"agent", &withAgent, {{"a", "1"}, {"b", ""}, {"url", "x?y"}, {"user_agent", "Agent/1.0"}}},
        {"no agent", &withoutAgent, {{"a", "1"}, {"b", ""}, {"url", "x?y"}, {"user_agent", ""}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<Seen> seen;
        OvHostEvent event;
        event.name = "sfbr-script";
        sendParameters(record, &seen, event, params, row.headers);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].leading, 0u);
        EXPECT_EQ(seen[0].name, "sfbr-script");
        EXPECT_EQ(seen[0].params, row.expected);
        EXPECT_TRUE(seen[0].tailZero);
        // Nothing of the call's own storage is left in the record.
        EXPECT_EQ(event.params, nullptr);
        EXPECT_EQ(event.paramCount, 0u);
    }
}

TEST(HostInterfaceTest, ConfiguredStringsStartEmptyAndKeepWhatTheHostSets) {
    const OvHostString all[] = {
        OvHostString::Nonce,
        OvHostString::LinkToken,
        OvHostString::LeftToken,
        OvHostString::RightToken,
        OvHostString::Locale,
        OvHostString::AppVersion,
        OvHostString::ScriptHandlerName,
    };
    for (OvHostString which : all) {
        EXPECT_EQ(ov_host_string(which), "");
    }
    int n = 0;
    for (OvHostString which : all) {
        ov_host_string_set(which, "value " + std::to_string(n++));
    }
    n = 0;
    for (OvHostString which : all) {
        EXPECT_EQ(ov_host_string(which), "value " + std::to_string(n++));
        ov_host_string_set(which, "");
    }
}

}  // namespace
