#include <gtest/gtest.h>

#include "tests/support/run_program.h"

namespace {

TEST(Program, NoArgumentsRunsTheSelfTest) {
    ProgramResult result = run_ovcore({});
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out, "OK\n");
}

TEST(Program, HelpListsTheCommands) {
    ProgramResult result = run_ovcore({"--help"});
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_NE(result.out.find("usage: ovcore"), std::string::npos);
    EXPECT_NE(result.out.find("selftest"), std::string::npos);
}

TEST(Program, UnknownCommandPrintsUsageAndExits2) {
    ProgramResult result = run_ovcore({"frobnicate"});
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("unknown command 'frobnicate'"), std::string::npos);
    EXPECT_NE(result.err.find("usage: ovcore"), std::string::npos);
}

}  // namespace
