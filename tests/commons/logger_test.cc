#include "core/commons/logger.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <regex>
#include <string>

#include "tests/support/log_capture.h"

namespace {

// Reads back everything a file-writer logger wrote to a temporary file.
std::string read_all(FILE *file) {
    fflush(file);
    rewind(file);
    std::string text;
    char chunk[512];
    size_t n;
    while ((n = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        text.append(chunk, n);
    }
    return text;
}

// Logs one message through a file-writer logger and returns the line.
std::string line_for(const char *name, int level, const char *message) {
    FILE *file = tmpfile();
    logger_s *logger = logger_open_with_callback(name, 4, logger_file_writer, file);
    logger_log(logger, level, "%s", message);
    std::string line = read_all(file);
    EXPECT_EQ(logger_close(logger), 0);
    return line;
}

TEST(Logger, LineFormat) {
    struct Row {
        const char *name;
        int level;
        const char *expected_tail;
    } rows[] = {
        {"OvProxyFilter", LOG_LEVEL_ERROR, " OvProxyFilter ERROR hello\n"},
        {"urlfilter", LOG_LEVEL_WARN, " urlfilter WARN hello\n"},
        {"x", LOG_LEVEL_INFO, " x INFO hello\n"},
        {"x", LOG_LEVEL_DEBUG, " x DEBUG hello\n"},
        {"x", LOG_LEVEL_TRACE, " x TRACE hello\n"},
        {"x", -3, " x INFO hello\n"},  // out-of-range levels print as INFO
        {nullptr, LOG_LEVEL_DEBUG, " quillon_c_logger DEBUG hello\n"},
        {"", LOG_LEVEL_DEBUG, "  DEBUG hello\n"},  // an empty name stays empty
    };
    const std::regex head(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{6} \[tid=\d+\])");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.expected_tail);
        std::string line = line_for(row.name, row.level, "hello");
        EXPECT_TRUE(std::regex_search(line, head)) << line;
        ASSERT_GE(line.size(), strlen(row.expected_tail));
        EXPECT_EQ(line.substr(line.size() - strlen(row.expected_tail)), row.expected_tail);
    }
}

TEST(Logger, DefaultLevelFiltersAndResets) {
    LogCapture capture(LOG_LEVEL_DEBUG);
    logger_s *logger = logger_open("t", -1);
    logger_log(logger, LOG_LEVEL_TRACE, "dropped");
    logger_log(logger, LOG_LEVEL_DEBUG, "kept");
    EXPECT_FALSE(logger_trace_enabled(logger));
    EXPECT_TRUE(logger_debug_enabled(logger));

    logger_set_default_log_level(LOG_LEVEL_INFO);
    EXPECT_FALSE(logger_debug_enabled(logger));
    logger_log(logger, LOG_LEVEL_DEBUG, "dropped too");
    logger_set_default_log_level(-1);
    EXPECT_EQ(logger_get_default_log_level(), LOG_LEVEL_DEBUG);
    logger_log(logger, LOG_LEVEL_DEBUG, "kept again");

    EXPECT_EQ(capture.messages(), (std::vector<std::string>{"kept", "kept again"}));
    EXPECT_EQ(capture.lines()[0].logger, "t");
    EXPECT_EQ(capture.lines()[0].level, LOG_LEVEL_DEBUG);
    logger_close(logger);
}

TEST(Logger, OwnLevelOverridesDefault) {
    LogCapture capture(LOG_LEVEL_TRACE);
    logger_s *logger = logger_open("strict", LOG_LEVEL_ERROR);
    for (int level = LOG_LEVEL_ERROR; level <= LOG_LEVEL_TRACE; ++level) {
        logger_log(logger, level, "level %d", level);
    }
    EXPECT_EQ(capture.messages(), (std::vector<std::string>{"level 0"}));
    logger_close(logger);
}

TEST(Logger, LongMessagesAreCut) {
    LogCapture capture;
    logger_s *logger = logger_open("long", -1);
    std::string message(5000, 'x');
    logger_log(logger, LOG_LEVEL_ERROR, "%s", message.c_str());
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0].message, std::string(4095, 'x'));
    logger_close(logger);
}

TEST(Logger, LogHandleWithEmptyNameHasNoName) {
    LogCapture capture;
    {
        LogHandle named("OvThing", -1);
        LogHandle unnamed("", -1);
        named.log(LOG_LEVEL_INFO, "a %d", 1);
        unnamed.log(LOG_LEVEL_INFO, "b");
        EXPECT_EQ(named.get()->name, std::string("OvThing"));
        EXPECT_EQ(unnamed.get()->name, nullptr);
    }
    EXPECT_EQ(capture.messages(), (std::vector<std::string>{"a 1", "b"}));
}

TEST(Logger, NullDefaultCallbackSilences) {
    LogCapture capture;
    logger_set_default_callback(nullptr, nullptr);
    logger_s *logger = logger_open("quiet", -1);
    testing::internal::CaptureStderr();
    logger_log(logger, LOG_LEVEL_ERROR, "nobody hears this");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(capture.lines().empty());
    logger_close(logger);
}

TEST(Logger, ForwarderAsDefaultInstallsStandardErrorWriter) {
    LogCapture capture;
    logger_set_default_callback(logger_default_forwarder, nullptr);
    logger_s *logger = logger_open("loop", -1);
    testing::internal::CaptureStderr();
    logger_log(logger, LOG_LEVEL_ERROR, "no recursion");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(" loop ERROR no recursion\n"), std::string::npos) << err;
    logger_close(logger);
}

TEST(Logger, ClosingFileWriterClosesOnlyOwnStreams) {
    FILE *file = tmpfile();
    int fd = fileno(file);
    ASSERT_GE(fd, 3);
    EXPECT_EQ(logger_close(logger_open_with_callback("f", -1, logger_file_writer, file)), 0);
    EXPECT_EQ(fcntl(fd, F_GETFD), -1);  // closed with the logger

    EXPECT_EQ(logger_close(logger_open_with_callback("e", -1, logger_file_writer, stderr)), 0);
    EXPECT_NE(fcntl(STDERR_FILENO, F_GETFD), -1);  // standard error stays open
    EXPECT_EQ(logger_close(nullptr), 0);
}

TEST(LoggerDeathTest, AssertLogsAndAborts) {
    EXPECT_DEATH(OV_ASSERT(1 + 1 == 3),
                 R"(assert ERROR .*logger_test\.cc:[0-9]+ assertion \(1 \+ 1 == 3\) failed!)");
}

}  // namespace
