#include <gtest/gtest.h>

#include <string>

#include "tests/support/run_program.h"

namespace {

const std::string kSample = std::string(OVCORE_TEST_DATA) + "/app/data/cosmetic_sample.txt";

TEST(Cosmetic, PrintsWhatThePageReceives) {
    struct Row {
        const char *domain;
        const char *path;
        std::string out;
    };
    const Row rows[] = {
        {"other.org", "/",
         "{\"commonCss\":\".everywhere { display: none!important; }\\n\","
         "\"specificCss\":null,\"extendedCss\":null,\"script\":null}\n"},
        {"www.example.org", "/",
         "{\"commonCss\":\".everywhere { display: none!important; }\\n\","
         "\"specificCss\":\".on-example { display: none!important; }\\n\","
         "\"extendedCss\":\"div:has-text(Sponsored) { display: none!important; }\\n\","
         "\"script\":\"window.ovMarker = 1;\\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.domain);
        ProgramResult result = run_ovcore(
            {"cosmetic", "--rules", kSample, "--domain", row.domain, "--path", row.path});
        EXPECT_EQ(result.exit_code, 0) << result.err;
        // The converted scriptlet's code follows; its call is checked below.
        EXPECT_EQ(result.out.substr(0, row.out.size()), row.out);
    }
}

// The path reaches the rules' path check; the converted scriptlet is called
// with its arguments.
TEST(Cosmetic, PathRulesAndConvertedScriptlets) {
    ProgramResult result = run_ovcore(
        {"cosmetic", "--rules", kSample, "--domain", "example.org", "--path", "/news/a b"});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_NE(result.out.find(".news-only"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("({name:\\\"ubo-set-constant\\\""), std::string::npos);
    EXPECT_NE(result.out.find("[\\\"ovFlag\\\",\\\"true\\\",]);"), std::string::npos);
}

TEST(Cosmetic, UsageAndMissingFiles) {
    EXPECT_EQ(run_ovcore({"cosmetic", "--rules", kSample}).exit_code, 2);
    EXPECT_EQ(run_ovcore({"cosmetic", "--domain"}).exit_code, 2);
    ProgramResult missing = run_ovcore({"cosmetic", "--rules", "/nonexistent", "--domain", "a"});
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_NE(missing.err.find("cannot read /nonexistent"), std::string::npos);
}

}  // namespace
