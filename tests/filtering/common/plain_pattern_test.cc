#include "core/filtering/common/plain_pattern.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/pattern_reference.h"

namespace {

TEST(PlainPattern, Supported) {
    struct Row {
        std::string pattern;
        bool supported;
    } rows[] = {
        {"||example.org^", true},
        {"/banner/*/img^", true},
        {"/ads?[0-9]+/", false},
        {"/", true},
        {"a^?b", false},
        {"a^b?c", true},
        {std::string("a\0b", 3), false},
        {std::string(PLAIN_PATTERN_MAX_LENGTH, 'a'), true},
        {std::string(PLAIN_PATTERN_MAX_LENGTH + 1, 'a'), false},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(plain_pattern_supported(row.pattern.data(), row.pattern.size()), row.supported)
            << row.pattern;
    }
}

// Each row is checked against the expected answer and against the
// expression the pattern stands for, so the two can never drift apart.
TEST(PlainPattern, AgreesWithTheExpression) {
    struct Row {
        const char *pattern;
        bool case_sensitive;
        const char *url;
        bool matches;
    } rows[] = {
        {"||example.org^", false, "https://example.org/", true},
        {"||example.org^", false, "https://example.org", true},
        {"||example.org^", false, "http://a-b.c_d.example.org:8080/", true},
        {"||example.org^", false, "HTTPS://ADS.EXAMPLE.ORG/x", true},
        {"||example.org^", false, "https://example.org.evil.com/", false},
        {"||example.org^", false, "https://notexample.org/", false},
        {"||example.org^", false, "ftp://example.org/", false},
        {"||example.org^", false, "https://x.com/?u=https://example.org/", false},
        {"||example.org^", false, "https://a..example.org/", true},
        {"||example.org^", false, "https://.example.org/", false},
        {"||example.org^", false, "https://a!b.example.org/", false},
        {"||example.org^", true, "HTTPS://example.org/", false},
        {"||example.org^", true, "https://ADS.example.org/", false},
        {"||Example.org^", true, "https://Example.org/", true},
        {"||ex*le.org^", false, "wss://a.exxxle.org/", true},
        {"|https://example.org/*.js|", false, "https://example.org/a/b.js", true},
        {"|https://example.org/*.js|", false, "https://example.org/a.js?x=1", false},
        {"|https://example.org/*.js|", false, "http://example.org/a.js", false},
        {"a|b", false, "http://x/a|b", true},
        {"a|b", false, "http://x/ab", false},
        {"|||", false, "https://x.org/", false},
        {"|||", false, "https://", true},
        {"*", false, "", true},
        {"", false, "http://x/", true},
        {"||", false, "x", true},
        {"/ad^", false, "http://x/ad", true},
        {"/ad^", false, "http://x/ad/", true},
        {"/ad^", false, "http://x/ad-", false},
        {"/ad^", false, "http://x/ad%20", false},
        {"/ad^", false, "http://x/ad b", false},
        {"/ad^", false, "http://x/ad\xc3\xa9", true},
        {"/ad^^", false, "http://x/ad", true},
        {"/ad^^|", false, "http://x/ad/", true},
        {"/ad^|", false, "http://x/ad/", true},
        {"/ad^|", false, "http://x/ad/x", false},
        {"ad*|", false, "http://x/ad?", true},
        {"a*b*c", false, "http://x/aXbYbZc", true},
        {"a*b*c", false, "http://x/cba", false},
        {"ab*bc|", false, "http://x/abc", false},
        {"ab*bc|", false, "http://x/abbc", true},
        {"ab*bc|", false, "http://x/abbcbc", true},
        {"^ad^", false, "http://x/ad", true},
        {"^ad^", false, "http://xad/", false},
        {"|http", false, "https://x/", true},
        {"|http", false, " http", false},
        {"BANNER", false, "http://x/banner", true},
        {"BANNER", true, "http://x/banner", false},
        {"banner", true, "http://x/BANNER/banner", true},
        {"#$()+.?[\\]{}", false, "http://x/#$()+.?[\\]{}", true},
        {"\xc3\xa9", false, "http://x/\xc3\x89", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.pattern) + " on " + row.url);
        std::string subject = row.case_sensitive ? row.url : pattern_reference_lower(row.url);
        ASSERT_TRUE(plain_pattern_supported(row.pattern, strlen(row.pattern)));
        EXPECT_EQ(plain_pattern_match(row.pattern, strlen(row.pattern), row.case_sensitive,
                                      subject.data(), subject.size()),
                  row.matches);
        EXPECT_EQ(pattern_reference_match(row.pattern, row.case_sensitive, row.url), row.matches);
    }
}

}  // namespace
