#include <gtest/gtest.h>

#include <string>

#include "tests/support/run_program.h"

namespace {

const std::string kSample = std::string(OVCORE_TEST_DATA) + "/app/data/lint_sample.txt";

// Network and cosmetic rules are checked by their filters' parsers, foreign
// ones in their converted form ($all and +js() here).
TEST(Lint, ReportsRejectedRulesAndSummary) {
    ProgramResult result = run_ovcore({"lint", kSample});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.out,
              kSample +
                  ":5: rule with 'elemhide' modifier can't be blocking (||example.com^$elemhide): "
                  "||example.com^$elemhide\n" +
                  kSample +
                  ":8: Got unknown option 'foo', ignoring rule ||example.com^$foo: "
                  "||example.com^$foo\n" +
                  kSample + ":9: Rule '$image' is too wide, not adding it: $image\n" + kSample +
                  ":11: Unbalanced brackets or quotes in selector: example.org##a:has(: "
                  "example.org##a:has(\n" +
                  kSample +
                  ":12: Unknown scriptlet: ubo-no-such-thing (converted to "
                  "example.org#%#//scriptlet('ubo-no-such-thing', '1')): "
                  "example.org##+js(no-such-thing, 1)\n"
                  "\n"
                  "lines read: 14\n"
                  "network rules accepted: 2\n"
                  "cosmetic rules accepted: 1\n"
                  "foreign rules accepted after conversion: 2\n"
                  "other lines (comments, headers, rules no filter takes): 4\n"
                  "rules rejected: 5\n"
                  "       1  Got unknown option 'foo', ignoring rule RULE\n"
                  "       1  Rule 'RULE' is too wide, not adding it\n"
                  "       1  Unbalanced brackets or quotes in selector: RULE\n"
                  "       1  Unknown scriptlet: ubo-no-such-thing (converted to RULE)\n"
                  "       1  rule with 'elemhide' modifier can't be blocking (RULE)\n");
}

TEST(Lint, CleanListExitsZero) {
    std::string clean = testing::TempDir() + "/clean.txt";
    FILE *file = fopen(clean.c_str(), "w");
    fputs("||a.example^\r\n@@||b.example^$image\r\n", file);
    fclose(file);
    ProgramResult result = run_ovcore({"lint", clean});
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_NE(result.out.find("network rules accepted: 2\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("rules rejected: 0\n"), std::string::npos);
}

TEST(Lint, UsageAndMissingFiles) {
    EXPECT_EQ(run_ovcore({"lint"}).exit_code, 2);
    ProgramResult missing = run_ovcore({"lint", "/nonexistent/list.txt"});
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_NE(missing.err.find("cannot read /nonexistent/list.txt"), std::string::npos);
}

}  // namespace
