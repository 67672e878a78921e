#define PCRE2_CODE_UNIT_WIDTH 8
#include "core/filtering/common/pattern_to_regex.h"

#include <gtest/gtest.h>
#include <pcre2.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/filtering/common/regex_limits.h"

namespace {

std::string convert(const std::string &pattern) {
    char *regex = pattern_to_regex(pattern.data(), pattern.size());
    std::string out = regex ? regex : "<null>";
    free(regex);
    return out;
}

TEST(PatternToRegex, Translations) {
    struct Row {
        const char *pattern;
        const char *regex;
    } rows[] = {
        {"||example.org^",
         R"(^(http|https|ws|wss)://([a-z0-9-_.]+\.)?example\.org([^ a-zA-Z0-9.%_-]|$))"},
        {"|https://example.org/*.js|", R"(^https://example\.org/.*\.js$)"},
        {"a|b", R"(a\|b)"},
        {"*", ".*"},
        {"", ".*"},
        {"|", ".*"},
        {"||", ".*"},
        {"/ads?[0-9]+/", "ads?[0-9]+"},
        {"/", "/"},
        {"a^?b", R"(a(([^ a-zA-Z0-9.%_-]|$)\?|\?)b)"},
        {"#$()+.?[\\]{}", R"(\#\$\(\)\+\.\?\[\\\]\{\})"},
        {"/banner/*/img^", R"(/banner/.*/img([^ a-zA-Z0-9.%_-]|$))"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.pattern);
        EXPECT_EQ(convert(row.pattern), row.regex);
    }
}

TEST(PatternToRegex, ConvertedPatternsMatchTheirUrls) {
    struct Row {
        const char *pattern;
        std::vector<const char *> matching;
        std::vector<const char *> not_matching;
    } rows[] = {
        {"||example.org^",
         {"https://example.org/", "http://ads.example.org:8080/x", "wss://example.org"},
         {"https://example.org.evil.com/", "https://notexample.org/", "ftp://example.org/"}},
        {"|https://example.org/*.js|",
         {"https://example.org/a/b.js"},
         {"https://example.org/a.js?x=1", "http://example.org/a.js"}},
        {"a|b", {"http://x/a|b"}, {"http://x/ab"}},
        {"*", {"anything"}, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.pattern);
        std::string regex = convert(row.pattern);
        int error;
        PCRE2_SIZE offset;
        pcre2_code *code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(regex.data()), regex.size(),
                                         0, &error, &offset, nullptr);
        ASSERT_NE(code, nullptr) << regex;
        for (const char *url : row.matching) {
            EXPECT_TRUE(regex_limited_match(code, url, strlen(url))) << url;
        }
        for (const char *url : row.not_matching) {
            EXPECT_FALSE(regex_limited_match(code, url, strlen(url))) << url;
        }
        pcre2_code_free(code);
    }
}

TEST(RegexLimits, RunawayMatchStopsWithALimitError) {
    const char *expr = "(a+)+$";
    int error;
    PCRE2_SIZE offset;
    pcre2_code *code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expr), PCRE2_ZERO_TERMINATED, 0,
                                     &error, &offset, nullptr);
    ASSERT_NE(code, nullptr);
    std::string subject(64, 'a');
    subject += '!';
    int rc = regex_match(code, subject.data(), subject.size());
    EXPECT_TRUE(rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT) << rc;
    EXPECT_FALSE(regex_limited_match(code, subject.data(), subject.size()));
    pcre2_code_free(code);
}

}  // namespace
