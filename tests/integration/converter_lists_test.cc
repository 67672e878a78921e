// The converter over every line of the real uBlock Origin lists and EasyList
// (Debian's webext-ublock-origin-chromium), under the sanitizers: no crash,
// no leak, and the network rules it produces go into the URL filter.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/filtering/converter/rule_converter.h"
#include "core/filtering/urlfilter/rule_parser.h"
#include "core/filtering/urlfilter/urlfilter.h"
#include "tests/support/log_capture.h"

namespace {

const std::string kAssets = "/usr/share/chromium/extensions/ublock-origin/assets/";

struct Counts {
    size_t lines = 0;      // lines read
    size_t converted = 0;  // lines that converted to at least one rule
    size_t produced = 0;   // rules the conversions produced
    size_t network = 0;    // of those, network rules
    size_t accepted = 0;   // of those, rules the URL filter took
};

std::vector<std::string> list_files() {
    std::vector<std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(kAssets + "ublock")) {
        if (entry.path().extension() == ".txt") {
            files.push_back(entry.path());
        }
    }
    files.push_back(kAssets + "thirdparties/easylist/easylist.txt");
    return files;
}

void convert_file(rule_converter_s *converter, urlfilter_s *engine, const std::string &path,
                  Counts *counts) {
    std::ifstream in(path);
    ASSERT_TRUE(in) << path << " is missing: scripts/install-deps.sh installs it";
    for (std::string line; std::getline(in, line);) {
        ++counts->lines;
        conv_rules_t rules = convert_rule(converter, line.data(), line.size());
        counts->converted += rules.count > 0;
        counts->produced += rules.count;
        for (uint32_t i = 0; i < rules.count; ++i) {
            const conv_str_t &rule = rules.rules[i];
            if (rule_text_is_network(rule.data, rule.length)) {
                ++counts->network;
                counts->accepted += urlfilter_addrule(engine, rule.data, rule.length, 0) == 0;
            }
        }
        conv_rules_free(&rules);
    }
}

TEST(RealLists, ConverterOnUblockListsAndEasyList) {
    LogCapture capture(LOG_LEVEL_INFO);
    LogHandle log("converter lists", LOG_LEVEL_ERROR);
    urlfilter_s *engine = urlfilter_new(log.get(), URLFILTER_DEFAULT_CACHE_CAPACITY);
    ASSERT_NE(engine, nullptr);
    rule_converter_s *converter = rule_converter_alloc();
    ASSERT_NE(converter, nullptr);
    Counts counts;
    for (const std::string &path : list_files()) {
        SCOPED_TRACE(path);
        convert_file(converter, engine, path, &counts);
    }
    rule_converter_free(converter);
    urlfilter_free(engine);
    printf(
        "converter lists: %zu lines read, %zu converted, %zu rules produced, %zu network, "
        "%zu accepted by the URL filter\n",
        counts.lines, counts.converted, counts.produced, counts.network, counts.accepted);
    EXPECT_GT(counts.lines, 100000u);
    EXPECT_GT(counts.converted, 5000u);
    EXPECT_GE(counts.produced, counts.converted);
    EXPECT_GT(counts.network, 100u);
    EXPECT_GE(counts.accepted * 10, counts.network * 9);
    // No pattern failed on a real rule.
    EXPECT_EQ(capture.messages(), std::vector<std::string>{});
}

}  // namespace
