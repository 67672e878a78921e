#include "core/filtering/common/path_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/log_capture.h"

namespace {

TEST(PathMatcher, Matching) {
    struct Row {
        std::string pattern;
        std::vector<std::string> matching;
        std::vector<std::string> not_matching;
    } rows[] = {
        {"|/page|", {"/page"}, {"/page2", "/x/page", "/pag"}},
        {"/pa*ge", {"/paXXge", "/x/pa/ge", "/page"}, {"/gepa", "/pa"}},
        {"", {"/"}, {"/a", "//"}},
        {"|/a", {"/a", "/abc"}, {"/b/a"}},
        {"html|", {"/x.html"}, {"/x.html?y"}},
        {"a * b", {"/ab", "/a/b"}, {"/ba"}},  // parts are trimmed
        {"*", {"/anything"}, {}},
        {"/^\\/x\\d+$/", {"/x12"}, {"/x", "/yx1"}},
        {"/x^", {"/x/", "/x"}, {"/xy"}},
        {std::string("a\0b*c", 5), {std::string("/a\0b/c", 6)}, {"/ab/c"}},  // bytes, not C strings
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.pattern);
        path_matcher_t *m = path_matcher_parse(nullptr, row.pattern.size(), row.pattern.data());
        ASSERT_NE(m, nullptr);
        for (const std::string &path : row.matching) {
            EXPECT_TRUE(path_matcher_match(m, path.size(), path.data())) << path;
        }
        for (const std::string &path : row.not_matching) {
            EXPECT_FALSE(path_matcher_match(m, path.size(), path.data())) << path;
        }
        EXPECT_FALSE(path_matcher_match(m, 0, ""));
        path_matcher_free(m);
    }
}

TEST(PathMatcher, Refusals) {
    struct Row {
        std::string pattern;
        std::string message;
    } rows[] = {
        {"||x", "parse_text_match(): Modifier cannot start with `||`: ||x"},
        {"/a(/",
         "parse_regex_match(): Failed to compile path regular expression: missing closing "
         "parenthesis (offset=2) (expr='a(')"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.pattern);
        LogCapture capture;
        logger_s *logger = logger_open("test", -1);
        EXPECT_EQ(path_matcher_parse(logger, row.pattern.size(), row.pattern.data()), nullptr);
        EXPECT_EQ(capture.messages(LOG_LEVEL_WARN), std::vector<std::string>{row.message});
        logger_close(logger);
    }
}

TEST(PathMatcher, GeneratedExpressionIsTraced) {
    LogCapture capture;
    logger_s *logger = logger_open("test", -1);
    path_matcher_t *m = path_matcher_parse(logger, 3, "/x^");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(capture.messages(LOG_LEVEL_TRACE),
              std::vector<std::string>{"parse_text_with_spec_chars_match(): Generated regular "
                                       "expression: /x([^ a-zA-Z0-9.%_-]|$)"});
    path_matcher_free(m);
    logger_close(logger);
}

}  // namespace
