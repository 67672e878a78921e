#include "core/filtering/converter/rule_syntax.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ptrdiff_t FindTopLevel(const std::string &text, const std::string &delimiter,
                       const std::string &excluded) {
    return find_top_level(text.data(), text.size(), delimiter.data(), delimiter.size(),
                          excluded.data(), excluded.size());
}

TEST(FindTopLevel, Delimiter) {
    struct Row {
        std::string text;
        std::string delimiter;
        std::string excluded;
        ptrdiff_t expected;
    } rows[] = {
        {"a,b", ",", "", 1},
        {"abc", ",", "", -1},
        {"", ",", "", -1},
        {"a(##)##b", "##", "", 5},
        // Inside quotes, parentheses, brackets and braces.
        {"'a,b',c", ",", "", 5},
        {"\"a,b\",c", ",", "", 5},
        {"(a,b),c", ",", "", 5},
        {"[a,b],c", ",", "", 5},
        {"{a,b},c", ",", "", 5},
        {"(a,[b,{c,'d,)'}]),e", ",", "", 17},
        // Backslashes escape, in quotes and out.
        {"a\\,b,c", ",", "", 4},
        {"'a\\',b',c", ",", "", 7},
        // Comments, line comments, plain slashes.
        {"a/*,*/,b", ",", "", 6},
        {"a/*,b", ",", "", -1},
        {"a//,b", ",", "", -1},
        {"a/b,c", ",", "", 3},
        // Stray closers do not stop the search; unclosed openers hide the rest.
        {"a),b", ",", "", 2},
        {"a(,b", ",", "", -1},
        // Raw arguments of text-matching pseudo-classes.
        {":contains(it's),c", ",", "", 15},
        {":-abp-contains('a)b'),c", ",", "", 21},
        {":has-text(/a)b/i),c", ",", "", 17},
        {":has-text(/a,b/),c", ",", "", 16},
        {":matches-css(\"a)\"),c", ",", "", 18},
        {":has(it's),c", ",", "", -1},  // not a raw argument: the quote stays open
        {"a:b,c", ",", "", 3},
        // xpath: slashes and colons are plain until its closing parenthesis.
        {":xpath(//a:b),c", ",", "", 13},
        {":xpath(//a[@x=',']),c", ",", "", 19},
        {"(//a),c", ",", "", -1},
        // The bracketed cosmetic prefix, where paths sit between slashes.
        {"$domain=a.com,path=//x]##.ad", "]", "/", 22},
        {"$domain=a.com,path=//x]##.ad", "]", "", -1},
        {"$path=/a\\/b/]##.ad", "]", "/", 12},
        {"a'b]'c]", "]", "'", 3},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(FindTopLevel(row.text, row.delimiter, row.excluded), row.expected);
    }
}

TEST(FindTopLevel, DepthLimit) {
    for (size_t depth : {FIND_TOP_LEVEL_MAX_DEPTH - 1, FIND_TOP_LEVEL_MAX_DEPTH}) {
        SCOPED_TRACE(depth);
        std::string text = std::string(depth, '(') + std::string(depth, ')');
        bool within = depth < FIND_TOP_LEVEL_MAX_DEPTH;
        EXPECT_EQ(FindTopLevel(text + ",x", ",", ""), within ? ptrdiff_t(2 * depth) : -1);
        EXPECT_EQ(FindTopLevel(text, "", ""), within ? 0 : -1);
    }
}

TEST(FindTopLevel, Balance) {
    struct Row {
        std::string text;
        std::string excluded;
        ptrdiff_t expected;
    } rows[] = {
        {"", "", 0},
        {"a(b)[c]{d}", "", 0},
        {"'a(b'\"[\"", "", 0},
        {"a/*(*/", "", 0},
        {":has-text(/a)/)", "", 0},
        {":xpath(//a[1])", "", 0},
        {"a(b]", "", -1},
        {"a(b", "", -1},
        {"a)", "", -1},
        {"'abc", "", -1},
        {"a/*b", "", -1},
        {"a//b", "", -1},
        {"a//b", "/", 0},
        {"a(b", "(", 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(FindTopLevel(row.text, "", row.excluded), row.expected);
    }
}

TEST(RuleSyntax, CommentsAndHeaders) {
    struct Row {
        std::string text;
        bool comment;
        bool header;
    } rows[] = {
        {"", false, true},
        {"abc", false, true},
        {"abcd", false, false},
        {"! Title: EasyList", true, false},
        {"!", true, true},
        {"# a comment", true, false},
        {"#", false, true},
        {"##.ad", false, false},
        {"#@#.ad", false, false},
        {"a!bc", false, false},
        {"[Adblock Plus 2.0]", false, true},
        {"[Adblock", false, true},
        {"[adblock plus 2.0]", false, false},
        {"[$app=a]##.ad", false, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(is_comment_rule(row.text.data(), row.text.size()), row.comment);
        EXPECT_EQ(is_list_header(row.text.data(), row.text.size()), row.header);
    }
}

}  // namespace
