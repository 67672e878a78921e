#include <gtest/gtest.h>

#include <string>

#include "tests/support/run_program.h"

namespace {

const std::string kRules = std::string(OVCORE_TEST_DATA) + "/app/data/check_rules.txt";

TEST(Check, AnswersEachRequestLine) {
    std::string input =
        R"({"url":"https://ads.example/banner.js","referrer":"https://site.example/","type":"script"})"
        "\n"
        R"({"url":"https://ads.example/ok/x.js","referrer":"https://site.example/","type":"script"})"
        "\n"
        R"({"url":"https://cdn.example/video.js","referrer":"","type":"script"})"
        "\n"
        R"({"url":"https://ads.example/banner.js","referrer":"","type":"script","third_party":false})"
        "\n"
        R"({"url":"https://x.example/a.gif","type":"gif"})"
        "\n"
        "not json\n"
        R"({"url":"https://ads.example/p","referrer":"","type":"image","third_party":true,"app":"a.exe"})"
        "\n";
    ProgramResult result =
        run_ovcore({"check", "--rules", kRules, "--rule", "||x.example^$image"}, input);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(
        result.out,
        R"({"decision":"block","rule":"||ads.example^$third-party","redirect":null,"lists":{"basic":[{"rule":"||ads.example^$third-party","kind":"block"}]}})"
        "\n"
        R"({"decision":"allow","rule":"@@||ads.example\/ok\/","redirect":null,"lists":{"basic":[{"rule":"@@||ads.example\/ok\/","kind":"allow"},{"rule":"||ads.example^$third-party","kind":"block"}]}})"
        "\n"
        R"({"decision":"block","rule":"||cdn.example\/video.js$script,redirect=noopjs","redirect":"noopjs","lists":{"basic":[{"rule":"||cdn.example\/video.js$script,redirect=noopjs","kind":"block"}]}})"
        "\n"
        R"({"decision":"none","rule":null,"redirect":null,"lists":{}})"
        "\n"
        R"({"error":"unknown request type 'gif'"})"
        "\n"
        R"({"error":"bad JSON: bad value"})"
        "\n"
        R"({"decision":"block","rule":"||ads.example^$third-party","redirect":null,"lists":{"basic":[{"rule":"||ads.example^$third-party","kind":"block"}]}})"
        "\n");
}

TEST(Check, Usage) {
    EXPECT_EQ(run_ovcore({"check", "--rules"}).exit_code, 2);
    EXPECT_EQ(run_ovcore({"check", "--bogus", "x"}).exit_code, 2);
    ProgramResult missing = run_ovcore({"check", "--rules", "/nonexistent"});
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_NE(missing.err.find("cannot read /nonexistent"), std::string::npos);
}

TEST(Bench, ReportsAndSummarises) {
    std::string requests = testing::TempDir() + "/requests.jsonl";
    FILE *file = fopen(requests.c_str(), "w");
    fputs(R"({"url":"https://ads.example/x.js","referrer":"https://a.example/","type":"script"})"
          "\n",
          file);
    fclose(file);
    ProgramResult result =
        run_ovcore({"bench", "--rules", kRules, "--requests", requests, "--rounds", "2"});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_NE(result.out.find("ovcore: 3 rules loaded in "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("1 requests x 2 rounds: median "), std::string::npos);
    EXPECT_NE(result.out.find(R"({"engine":"ovcore","corpus":"","rules":3,)"), std::string::npos);
    EXPECT_NE(result.out.find(R"("requests":1,)"), std::string::npos);
    EXPECT_NE(result.out.find(R"("blocked":1})"), std::string::npos);
    EXPECT_EQ(run_ovcore({"bench", "--rules", kRules}).exit_code, 2);
}

}  // namespace
