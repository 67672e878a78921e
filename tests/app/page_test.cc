#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace {

const std::string kUsage = "usage: ovcore page INDEX [--string NAME=VALUE | --raw NAME=VALUE]...\n";

TEST(PageCommand, PrintsTheRenderedTemplate) {
    std::ifstream in(std::string(OVCORE_TEST_DATA) + "/../assets/templates/pixel.png",
                     std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    struct Row {
        std::vector<std::string> args;
        std::string contains;  // empty: the whole output is checked below
    } rows[] = {
        {{"page", "7", "--string", "locale=de"}, R"(JSON.parse("{\"locale\":\"de\"}"))"},
        {{"page", "0", "--raw", "strictMode=true", "--string", "cookieName=a=b"},
         R"(JSON.parse("{\"strictMode\":true,\"cookieName\":\"a=b\"}"))"},
        {{"page", "1"}, R"(JSON.parse("{}"))"},
        {{"page", "6", "--string", "userAgent="}, "\"\""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.args[1]);
        ProgramResult result = run_ovcore(row.args);
        EXPECT_EQ(result.exit_code, 0);
        EXPECT_NE(result.out.find(row.contains), std::string::npos);
        EXPECT_EQ(result.err, "");
    }
    EXPECT_TRUE(run_ovcore({"page", "4", "--string", "locale=de"}).out == png);
    EXPECT_EQ(run_ovcore({"page", "8"}).out, "");
}

TEST(PageCommand, Failures) {
    struct Row {
        std::vector<std::string> args;
        int exit_code;
        std::string err;
    } rows[] = {
        {{"page"}, 2, kUsage},
        {{"page", "x"}, 2, kUsage},
        {{"page", "-1"}, 2, kUsage},
        {{"page", "7", "--string"}, 2, kUsage},
        {{"page", "7", "--string", "=de"}, 2, kUsage},
        {{"page", "7", "--number", "n=1"}, 2, kUsage},
        {{"page", "5", "--raw", "userAgent=null"}, 1, "ovcore page: invalid string position\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args));
        ProgramResult result = run_ovcore(row.args);
        EXPECT_EQ(result.exit_code, row.exit_code);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, row.err);
    }
}

}  // namespace
