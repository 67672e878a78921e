// The real EasyList and EasyPrivacy (Debian's webext-ublock-origin-chromium)
// parse whole under the sanitizers: no crash, no leak, and the engine takes
// nearly every network rule they carry.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/filtering/urlfilter/rule.h"
#include "core/filtering/urlfilter/rule_parser.h"

namespace {

const std::string kListDir =
    "/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist/";

struct ListCounts {
    size_t network = 0, accepted = 0, compiled = 0;
};

ListCounts parse_list(const std::string &path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << path << " is missing: scripts/install-deps.sh installs it";
    LogHandle log("easylist", LOG_LEVEL_ERROR);
    urlfilter_context_t engine;
    urlfilter_context_init(&engine, log.get(), true);
    ListCounts counts;
    for (std::string line; std::getline(in, line);) {
        if (!rule_text_is_network(line.data(), line.size())) {
            continue;
        }
        ++counts.network;
        cached_rule_t rule{};
        if (parse_rule(&engine, line.data(), line.size(), 0, &rule) == RULE_PARSE_OK) {
            ++counts.accepted;
            counts.compiled += urlfilter_compile_rule(&engine, &rule) == 0;
        }
        rule_release(&rule);
    }
    urlfilter_context_release(&engine);
    return counts;
}

TEST(RealLists, EasyListAndEasyPrivacyParse) {
    for (const char *name : {"easylist.txt", "easyprivacy.txt"}) {
        SCOPED_TRACE(name);
        ListCounts counts = parse_list(kListDir + name);
        EXPECT_GT(counts.network, 20000u);
        // A handful use other blockers' options ("$rewrite=", "$method=").
        EXPECT_GE(counts.accepted * 1000, counts.network * 999);
        EXPECT_EQ(counts.compiled, counts.accepted);
    }
}

}  // namespace
