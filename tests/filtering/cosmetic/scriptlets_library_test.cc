// The scriptlets base record: names read from the base text, lookups by any
// name, and the code of one scriptlet loaded on demand.
#include "core/filtering/cosmetic/scriptlets_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/log_capture.h"

namespace {

using LoggerPtr = std::unique_ptr<logger_s, decltype(&logger_close)>;
using BasePtr = std::unique_ptr<scriptlets_library_t, decltype(&scriptlets_library_free)>;

std::string name_of(const scriptlet_entry_t &entry, uint32_t n) {
    return std::string(entry.names[n].text, entry.names[n].length);
}

scriptlet_call_t call_to(int32_t base_index, const char *name) {
    scriptlet_call_t call{};
    call.base_index = base_index;
    call.name = {strlen(name), name};
    return call;
}

class ScriptletsLibraryTest : public ::testing::Test {
  protected:
    BasePtr Create(std::string_view text) {
        return BasePtr(scriptlets_library_create(logger_.get(), text), scriptlets_library_free);
    }
    BasePtr CreateBuiltIn() {
        return BasePtr(scriptlets_library_create(logger_.get()), scriptlets_library_free);
    }

    LogCapture capture_;
    LoggerPtr logger_{logger_open("jsfilter", -1), logger_close};
};

TEST_F(ScriptletsLibraryTest, ReadsTheNamesOfTheBuiltInBase) {
    BasePtr base = CreateBuiltIn();
    ASSERT_NE(base, nullptr);
    ASSERT_EQ(base->entry_count, 46u);
    const scriptlet_entry_t &first = base->entries[0];
    std::vector<std::string> names;
    for (uint32_t n = 0; n < first.name_count; ++n) {
        names.push_back(name_of(first, n));
    }
    EXPECT_EQ(names, (std::vector<std::string>{
                         "abort-on-property-read", "abort-on-property-read.js",
                         "ubo-abort-on-property-read.js", "aopr.js", "ubo-aopr.js",
                         "ubo-abort-on-property-read", "ubo-aopr", "abp-abort-on-property-read"}));
    EXPECT_EQ(name_of(base->entries[45], 0), "no-topics");
    for (size_t i = 0; i < base->entry_count; ++i) {
        SCOPED_TRACE(name_of(base->entries[i], 0));
        EXPECT_EQ(base->entries[i].index, static_cast<int32_t>(i));
        EXPECT_EQ(base->entries[i].code, nullptr);
        EXPECT_EQ(base->entries[i].code_len, 0u);
    }
    EXPECT_TRUE(capture_.messages().empty());
}

TEST_F(ScriptletsLibraryTest, FindsAScriptletByAnyOfItsExactNames) {
    BasePtr base = CreateBuiltIn();
    ASSERT_NE(base, nullptr);
    const struct {
        const char *name;
        int32_t index;
    } kRows[] = {
        {"abort-on-property-read", 0},
        {"aopr.js", 0},
        {"ubo-aopr", 0},
        {"abp-abort-on-property-read", 0},
        {"set-constant", 6},
        {"no-topics", 45},
        {"aopr", -1},
        {"abort-on-property-rea", -1},
        {"Abort-on-property-read", -1},
        {"abort-on-property-read ", -1},
        {"", -1},
        {"unknown-scriptlet", -1},
    };
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(scriptlets_library_find(base.get(), row.name, strlen(row.name)), row.index);
    }
}

TEST_F(ScriptletsLibraryTest, LeavesOutTheSeventeenthName) {
    std::string text = R"({"version": "1", "scriptlets": [{"names": [)";
    for (int n = 1; n <= 17; ++n) {
        text += (n > 1 ? ", \"n" : "\"n") + std::to_string(n) + "\"";
    }
    text += R"(], "scriptlet": "function f(source, args) {}"}]})";
    BasePtr base = Create(text);
    ASSERT_NE(base, nullptr);
    ASSERT_EQ(base->entry_count, 1u);
    EXPECT_EQ(base->entries[0].name_count, 16u);
    EXPECT_EQ(name_of(base->entries[0], 15), "n16");
    EXPECT_EQ(scriptlets_library_find(base.get(), "n16", 3), 0);
    EXPECT_EQ(scriptlets_library_find(base.get(), "n17", 3), -1);
    EXPECT_EQ(capture_.messages(LOG_LEVEL_ERROR),
              (std::vector<std::string>{"sl_entry_name(): scriptlet name n17 was not added due to "
                                        "buffer is out of capacity (16)"}));
    EXPECT_EQ(capture_.messages().size(), 1u);
}

TEST_F(ScriptletsLibraryTest, RefusesAMalformedBase) {
    const char kText[] =
        "{\"version\": \"1\",\n"
        " \"scriptlets\": [\n"
        "  {\"names\": [\"a\"], \"scriptlet\": \"function a(source, args) {}\"},\n"
        "  {\"name\": [\"b\"]}\n"
        "]}";
    EXPECT_EQ(Create(kText), nullptr);
    EXPECT_EQ(capture_.messages(),
              (std::vector<std::string>{"parse_scriptlets_base(): scriptlets base parse error: "
                                        "unknown key name  last value:\"name\"  line:4"}));
    EXPECT_EQ(capture_.lines().at(0).level, LOG_LEVEL_ERROR);
}

TEST_F(ScriptletsLibraryTest, LoadsTheCodeOfOneScriptletOnDemand) {
    BasePtr base = CreateBuiltIn();
    ASSERT_NE(base, nullptr);
    scriptlet_call_t call = call_to(6, "set-constant");
    ASSERT_EQ(parse_scriptlets_base(base.get(), &call), 0);
    const scriptlet_entry_t &entry = base->entries[6];
    ASSERT_NE(entry.code, nullptr);
    EXPECT_EQ(entry.code_len, strlen(entry.code));
    EXPECT_EQ(std::string_view(entry.code).rfind("function ", 0), 0u);
    for (size_t i = 0; i < base->entry_count; ++i) {
        if (i != 6) {
            EXPECT_EQ(base->entries[i].code, nullptr) << i;
        }
    }
    EXPECT_TRUE(capture_.messages().empty());
}

TEST_F(ScriptletsLibraryTest, LoadsTheDecodedSourceUpToANul) {
    BasePtr base = Create(R"json({"scriptlets": [{"names": ["a"], "scriptlet": "f(\"x\")"},
                                                 {"names": ["b"], "scriptlet": "g\u0000h"}]})json");
    ASSERT_NE(base, nullptr);
    scriptlet_call_t first = call_to(0, "a");
    scriptlet_call_t second = call_to(1, "b");
    ASSERT_EQ(parse_scriptlets_base(base.get(), &first), 0);
    ASSERT_EQ(parse_scriptlets_base(base.get(), &second), 0);
    EXPECT_EQ(std::string(base->entries[0].code), "f(\"x\")");
    EXPECT_EQ(base->entries[0].code_len, 6u);
    // The length is the string's; the bytes after its NUL read as zero.
    EXPECT_EQ(base->entries[1].code_len, 3u);
    EXPECT_EQ(std::string(base->entries[1].code, 4), std::string("g\0\0\0", 4));
}

TEST_F(ScriptletsLibraryTest, FailsToLoadAScriptletTheTextDoesNotHold) {
    BasePtr base = CreateBuiltIn();
    ASSERT_NE(base, nullptr);
    const struct {
        int32_t index;
        const char *name;
    } kRows[] = {{46, "past-the-end"}, {-1, "unknown"}};
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.name);
        capture_.clear();
        scriptlet_call_t call = call_to(row.index, row.name);
        EXPECT_EQ(parse_scriptlets_base(base.get(), &call), -1);
        EXPECT_EQ(capture_.messages(LOG_LEVEL_WARN),
                  (std::vector<std::string>{"parse_scriptlets_base(): scriptlet with the given "
                                            "name (" +
                                            std::string(row.name) +
                                            ") was not found in the scriptlets base (err=0)"}));
        EXPECT_EQ(capture_.messages().size(), 1u);
    }
}

TEST_F(ScriptletsLibraryTest, ReportsTheReadersCodeWhenTheTextBreaksOff) {
    const char kText[] = R"({"scriptlets": [{"names": ["a"], "scriptlet": "function a() {}"}]})";
    BasePtr base = Create(kText);
    ASSERT_NE(base, nullptr);
    // The text now ends just before the source: the reader wants the rest.
    base->text_len = std::string_view(kText).find("\"function");
    scriptlet_call_t call = call_to(0, "a");
    EXPECT_EQ(parse_scriptlets_base(base.get(), &call), -1);
    EXPECT_EQ(base->entries[0].code, nullptr);
    EXPECT_EQ(capture_.messages(LOG_LEVEL_WARN),
              (std::vector<std::string>{"parse_scriptlets_base(): scriptlet with the given name "
                                        "(a) was not found in the scriptlets base (err=10)"}));
}

}  // namespace
