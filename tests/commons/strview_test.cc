#include "core/commons/strview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Views = std::vector<std::string_view>;

TEST(Split, Rows) {
    struct Row {
        std::string_view text;
        char delim;
        bool trim;
        Views pieces;
    };
    const Row rows[] = {
        {"", ',', false, {}},
        {"a", ',', false, {"a"}},
        {"a,b,c", ',', false, {"a", "b", "c"}},
        {",a,,b,", ',', false, {"a", "b"}},
        {" a , b ", ',', false, {" a ", " b "}},
        {" a , b ", ',', true, {"a", "b"}},
        {"a, ,b", ',', true, {"a", "b"}},
        {"a, ,b", ',', false, {"a", " ", "b"}},
        {"a|b", ',', false, {"a|b"}},
        {",,,", ',', false, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "'" << row.text << "' trim " << row.trim);
        EXPECT_EQ(strview::split(row.text, row.delim, row.trim), row.pieces);
    }
}

TEST(SplitOnce, Rows) {
    struct Row {
        std::string_view text;
        bool trim;
        std::string_view first, second;
    };
    const Row rows[] = {
        {"key=value", false, "key", "value"},
        {"key=a=b", false, "key", "a=b"},
        {"key", false, "key", ""},
        {"=value", false, "", "value"},
        {"key=", false, "key", ""},
        {" key = value ", false, " key ", " value "},
        {" key = value ", true, "key", "value"},
        {"", true, "", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "'" << row.text << "' trim " << row.trim);
        auto [first, second] = strview::split_once(row.text, '=', row.trim);
        EXPECT_EQ(first, row.first);
        EXPECT_EQ(second, row.second);
    }
}

TEST(Trim, Rows) {
    struct Row {
        std::string_view text, trimmed;
    };
    const Row rows[] = {
        {"", ""},
        {"   ", ""},
        {"a", "a"},
        {" \t\r\n\v\fa b\f\v\n\r\t ", "a b"},
        {"\xa0x\xa0", "\xa0x\xa0"},  // only ASCII space counts
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(strview::trim(row.text), row.trimmed);
    }
}

TEST(ToLower, Rows) {
    struct Row {
        std::string_view text, lower;
    };
    const Row rows[] = {
        {"", ""},
        {"ExAmPlE.COM/Path?Q=1", "example.com/path?q=1"},
        {"@[`{\xc3\x89", "@[`{\xc3\x89"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(strview::to_lower(row.text), row.lower);
    }
}

TEST(Compare, Rows) {
    struct Row {
        std::string_view a, b;
        bool equals_nocase;
        bool starts_with_nocase;  // a starts with b ignoring case
        bool starts_with;
        bool ends_with;  // a ends with b
    };
    const Row rows[] = {
        {"", "", true, true, true, true},
        {"abc", "", false, true, true, true},
        {"Example", "example", true, true, false, false},
        {"Example.com", "EXAMPLE", false, true, false, false},
        {"example.com", "example", false, true, true, false},
        {"example.com", ".com", false, false, false, true},
        {"ab", "abc", false, false, false, false},
        {"[", "{", false, false, false, false},  // 0x5b vs 0x7b: only A-Z fold
        {"\xc3\xa9", "\xc3\x89", false, false, false, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "'" << row.a << "' '" << row.b << "'");
        EXPECT_EQ(strview::equals_nocase(row.a, row.b), row.equals_nocase);
        EXPECT_EQ(strview::starts_with_nocase(row.a, row.b), row.starts_with_nocase);
        EXPECT_EQ(strview::starts_with(row.a, row.b), row.starts_with);
        EXPECT_EQ(strview::ends_with(row.a, row.b), row.ends_with);
    }
}

TEST(CompareNocase, Rows) {
    struct Row {
        const char *name;
        std::string_view a, b;
        size_t n;
        int result;
    };
    const Row rows[] = {
        {"equal ignoring case", "abc", "ABC", 3, 0},
        {"last byte smaller", "abc", "ABD", 3, -1},
        {"last byte larger", "abd", "ABC", 3, 1},
        {"only the first n bytes", "abc", "ABD", 2, 0},
        {"shorter view sorts first", "ab", "abc", 3, -1},
        {"longer view sorts last", "abc", "ab", 3, 1},
        {"both cut at n", "ab", "abc", 2, 0},
        {"empty views", "", "", 5, 0},
        {"n of 0", "x", "y", 0, 0},
        {"'_' (0x5f) before 'a'", "_", "a", 1, -1},
        {"'A' folded before comparing", "_", "A", 1, -1},
        {"unsigned bytes", "\xff", "a", 1, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(strview::compare_nocase(row.a, row.b, row.n), row.result);
        EXPECT_EQ(strview::compare_nocase(row.b, row.a, row.n), -row.result);
    }
}

TEST(Find, Rows) {
    struct Row {
        const char *name;
        size_t found;
        size_t expected;
    };
    const std::string_view url = "https://Example.com/a/b?x=1#frag";
    const Row rows[] = {
        {"find_char first", strview::find_char(url, '/'), 6},
        {"find_char absent", strview::find_char(url, '|'), url.size()},
        {"find_char empty", strview::find_char("", '/'), 0},
        {"find_char NUL", strview::find_char(std::string_view("a\0b", 3), '\0'), 1},
        {"find_last_char", strview::find_last_char(url, '/'), 21},
        {"find_last_char absent", strview::find_last_char(url, '|'), url.size()},
        {"find_nocase", strview::find_nocase(url, "EXAMPLE.com"), 8},
        {"find_nocase repeated prefix", strview::find_nocase("aaab", "AAB"), 1},
        {"find_nocase absent", strview::find_nocase(url, "exampel"), url.size()},
        {"find_nocase longer needle", strview::find_nocase("ab", "abc"), 2},
        {"find_nocase empty needle", strview::find_nocase(url, ""), 0},
        {"find_nocase at end", strview::find_nocase(url, "FRAG"), 28},
        {"find_first_of", strview::find_first_of(url, "?#"), 23},
        {"find_first_of absent", strview::find_first_of(url, "|^"), url.size()},
        {"find_first_of empty set", strview::find_first_of(url, ""), url.size()},
        {"find_first_of high byte", strview::find_first_of("ab\xff", "\xff"), 2},
        {"find_last_of", strview::find_last_of(url, "?#"), 27},
        {"find_last_of absent", strview::find_last_of(url, "|"), url.size()},
        {"find_last_of first byte", strview::find_last_of("hello", "h"), 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.found, row.expected);
    }
}

// Every token of `text`, taking tokens until the view is empty.
std::vector<std::string> Tokens(std::string_view text, unsigned flags) {
    std::vector<std::string> tokens;
    while (!text.empty()) {
        std::string_view token;
        size_t used = strview::next_token(text, &token, flags);
        if (used == 0 || used > text.size()) {
            ADD_FAILURE() << "used " << used << " of " << text.size();
            break;
        }
        tokens.emplace_back(token);
        if (flags & strview::TOKEN_FROM_END) {
            text.remove_suffix(used);
        } else {
            text.remove_prefix(used);
        }
    }
    return tokens;
}

TEST(NextToken, Sequences) {
    using namespace strview;
    struct Row {
        const char *name;
        std::string_view text;
        unsigned flags;
        std::vector<std::string> tokens;
    };
    const Row rows[] = {
        {"comma list", "a,b,c", ',', {"a", "b", "c"}},
        {"empty middle token", "a,,b", ',', {"a", "", "b"}},
        {"no final empty token", "a,", ',', {"a"}},
        {"spaces trimmed", " a , b ", ',', {"a", "b"}},
        {"tabs kept by default", "\ta\t,b", ',', {"\ta\t", "b"}},
        {"tabs trimmed with 0x800", "\ta\t, b", ',' | TOKEN_TRIM_TABS, {"a", "b"}},
        {"no trimming", " a , b ", ',' | TOKEN_NO_TRIM, {" a ", " b "}},
        {"space delimiter keeps empty tokens", "a  b", ' ' | TOKEN_NO_TRIM, {"a", "", "b"}},
        {"whitespace runs", "  a \t b\t", TOKEN_WHITESPACE, {"a", "b"}},
        {"whitespace only", " \t ", TOKEN_WHITESPACE, {""}},
        {"whitespace without trimming", "a\t\tb", TOKEN_WHITESPACE | TOKEN_NO_TRIM, {"a", "b"}},
        {"quotes ignored by default", "\"a,b\",c", ',', {"\"a", "b\"", "c"}},
        {"quoted token", "\"a,b\",c", ',' | TOKEN_QUOTED, {"\"a,b\"", "c"}},
        {"quoted after spaces", " \"a,b\" , c", ',' | TOKEN_QUOTED, {"\"a,b\"", "c"}},
        {"text after closing quote", "\"a,b\"x,c", ',' | TOKEN_QUOTED, {"\"a,b\"x", "c"}},
        {"quote inside token", "a\"b,c\",d", ',' | TOKEN_QUOTED, {"a\"b", "c\"", "d"}},
        {"unmatched quote", "\"a,b", ',' | TOKEN_QUOTED, {"\"a", "b"}},
        {"quoted whitespace",
         "x \"a b\" y",
         TOKEN_WHITESPACE | TOKEN_QUOTED,
         {"x", "\"a b\"", "y"}},
        {"from end", "a,b,c", ',' | TOKEN_FROM_END, {"c", "b", "a"}},
        {"from end trimmed", " a , b ", ',' | TOKEN_FROM_END, {"b", "a"}},
        {"from end leading delimiter", ",a", ',' | TOKEN_FROM_END, {"a"}},
        {"from end quoted", "a,\"b,c\"", ',' | TOKEN_FROM_END | TOKEN_QUOTED, {"\"b,c\"", "a"}},
        {"from end whitespace", "a  b ", TOKEN_WHITESPACE | TOKEN_FROM_END, {"b", "a"}},
        {"NUL delimiter", std::string_view("a\0b", 3), 0, {"a", "b"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Tokens(row.text, row.flags), row.tokens);
    }
}

TEST(NextToken, BytesUsed) {
    using namespace strview;
    struct Row {
        const char *name;
        std::string_view text;
        unsigned flags;
        std::string_view token;
        size_t used;
    };
    const Row rows[] = {
        {"empty view", "", ',', "", 0},
        {"delimiter counted", "ab,cd", ',', "ab", 3},
        {"no delimiter", " ab ", ',', "ab", 4},
        {"trimmed bytes counted", " ab ,cd", ',', "ab", 5},
        {"whitespace run after token", "ab \t cd", TOKEN_WHITESPACE, "ab", 5},
        {"from end", "ab,cd", ',' | TOKEN_FROM_END, "cd", 3},
        {"from end without delimiter", "abcd", ',' | TOKEN_FROM_END, "abcd", 4},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string_view token = "unset";
        EXPECT_EQ(next_token(row.text, &token, row.flags), row.used);
        EXPECT_EQ(token, row.token);
    }
}

TEST(Unescape, Rows) {
    struct Row {
        std::string_view text;
        std::string_view set;
        std::string_view result;
    };
    const Row rows[] = {
        {"", "", ""},
        {"plain", "$,/", "plain"},
        {"a\\$b\\,c\\/d", "$,/", "a$b,c/d"},
        {"\\d+\\$", "$,/", "\\d+$"},  // not in the set: kept
        {"a\\", "$,/", "a\\"},        // last byte: kept
        {"a\\", "", "a\\"},
        {"\\a\\b", "", "ab"},     // empty set: any byte
        {"\\\\$", "$", "\\$"},    // '\' not escapable: kept, then '\$'
        {"\\\\$", "\\$", "\\$"},  // escaped escape stays, '$' plain
        {"\\\\\\", "", "\\\\"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "'" << row.text << "' set '" << row.set << "'");
        EXPECT_EQ(strview::unescape(row.text, '\\', row.set), row.result);
    }
}

}  // namespace
