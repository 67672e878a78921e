#include "core/filtering/common/string_set.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(StringSet, HashIsTimes31FromTheFirstByte) {
    EXPECT_EQ(string_set_hash("", 0), 0u);
    EXPECT_EQ(string_set_hash("a", 1), 97u);
    EXPECT_EQ(string_set_hash("ab", 2), 97u * 31 + 98);
}

TEST(StringSet, GrowsAndKeepsEveryKeyOnce) {
    string_set_t *set = string_set_new();
    std::set<std::string> expected;
    for (int i = 0; i < 5000; ++i) {
        std::string key = "host" + std::to_string(i % 2500) + ".example";
        EXPECT_EQ(string_set_put(set, key.data(), key.size()), i < 2500 ? 0 : 1);
        expected.insert(key);
    }
    EXPECT_EQ(string_set_size(set), expected.size());
    // Never fuller than the growth bound.
    EXPECT_LE(set->count, static_cast<uint32_t>(set->capacity * 0.77 + 0.5));
    for (const std::string &key : expected) {
        EXPECT_TRUE(string_set_contains(set, key.data(), key.size())) << key;
    }
    EXPECT_FALSE(string_set_contains(set, "host2500.example", 16));
    string_set_free(set);
}

TEST(StringSet, KeysAreBytesNotCStrings) {
    string_set_t *set = string_set_new();
    string_set_put(set, "Example", 7);
    EXPECT_FALSE(string_set_contains(set, "example", 7));  // case-sensitive
    EXPECT_FALSE(string_set_contains(set, "Exam", 4));     // no prefix hits
    EXPECT_TRUE(string_set_contains(set, "Example.org", 7));
    string_set_free(set);
}

TEST(StringSet, NullAndEmptySetsAreEquivalent) {
    string_set_t *empty = string_set_new();
    for (const string_set_t *set :
         {static_cast<const string_set_t *>(nullptr), static_cast<const string_set_t *>(empty)}) {
        EXPECT_TRUE(string_set_empty(set));
        EXPECT_EQ(string_set_size(set), 0u);
        EXPECT_FALSE(string_set_contains(set, "a", 1));
        EXPECT_FALSE(string_set_contains_suffix(set, "a.b", 3));
    }
    string_set_free(empty);
    string_set_free(nullptr);
}

TEST(StringSet, SuffixLookup) {
    string_set_t *set = string_set_new();
    string_set_put(set, "example.org", 11);
    struct Row {
        const char *name;
        bool found;
    } rows[] = {
        {"example.org", true},    {"a.b.example.org", true},
        {"example.org.", true},   {"badexample.org", false},
        {"example.org..", false}, {"org", false},
        {"example.orgx", false},  {".", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(string_set_contains_suffix(set, row.name, strlen(row.name)), row.found);
    }
    string_set_free(set);
}

}  // namespace
