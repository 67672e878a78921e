#include "core/proxy/net/net_runtime.h"

#include <event2/event.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/commons/logger.h"
#include "tests/support/log_capture.h"

namespace {

TEST(NetRuntimeTest, LibeventMessagesGoToTheLibeventLogger) {
    struct Row {
        int severity;
        int logLevel;  // of the capture
        std::vector<CapturedLine> expected;
    } rows[] = {
        {EVENT_LOG_DEBUG, LOG_LEVEL_DEBUG, {{"LIBEVENT", LOG_LEVEL_DEBUG, "text"}}},
        {EVENT_LOG_DEBUG, LOG_LEVEL_INFO, {}},
        {EVENT_LOG_MSG, LOG_LEVEL_DEBUG, {{"LIBEVENT", LOG_LEVEL_INFO, "text"}}},
        {EVENT_LOG_WARN, LOG_LEVEL_DEBUG, {{"LIBEVENT", LOG_LEVEL_WARN, "text"}}},
        {EVENT_LOG_ERR, LOG_LEVEL_DEBUG, {{"LIBEVENT", LOG_LEVEL_ERROR, "text"}}},
        {7, LOG_LEVEL_DEBUG, {{"LIBEVENT", LOG_LEVEL_DEBUG, "???: text"}}},
    };
    ov_net_runtime_init();
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.severity << " at " << row.logLevel);
        LogCapture log(row.logLevel);
        ov_libevent_log(row.severity, "text");
        ASSERT_EQ(log.lines().size(), row.expected.size());
        for (size_t i = 0; i < row.expected.size(); ++i) {
            EXPECT_EQ(log.lines()[i].logger, row.expected[i].logger);
            EXPECT_EQ(log.lines()[i].level, row.expected[i].level);
            EXPECT_EQ(log.lines()[i].message, row.expected[i].message);
        }
    }
}

// libevent itself reports through the callback installed at start-up.
TEST(NetRuntimeTest, LibeventUsesTheCallback) {
    ov_net_runtime_init();
    LogCapture log(LOG_LEVEL_DEBUG);
    event_base *base = event_base_new();
    ASSERT_NE(base, nullptr);
    event_base_free(base);
    event_base_free(nullptr);  // libevent warns about a null base
    EXPECT_FALSE(log.lines().empty());
    for (const CapturedLine &line : log.lines()) {
        EXPECT_EQ(line.logger, "LIBEVENT");
    }
}

}  // namespace
