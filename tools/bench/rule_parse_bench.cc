// Parse time of whole real lists: EasyList and EasyPrivacy, every line
// through parse_rule() as the engine loads them (patterns compile lazily).
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/filtering/urlfilter/rule.h"
#include "core/filtering/urlfilter/rule_parser.h"

namespace {

const char *const kLists[] = {
    "/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist/easylist.txt",
    "/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist/easyprivacy.txt",
};

std::vector<std::string> read_lines(const char *path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

void BM_ParseList(benchmark::State &state) {
    std::vector<std::string> lines;
    for (const char *path : kLists) {
        std::vector<std::string> more = read_lines(path);
        lines.insert(lines.end(), more.begin(), more.end());
    }
    if (lines.empty()) {
        state.SkipWithError("EasyList not found: install webext-ublock-origin-chromium");
        return;
    }
    LogHandle log("bench", LOG_LEVEL_ERROR);
    urlfilter_context_t engine;
    urlfilter_context_init(&engine, log.get(), true);
    size_t accepted = 0;
    for (auto _ : state) {
        accepted = 0;
        for (const std::string &line : lines) {
            cached_rule_t rule{};
            accepted += parse_rule(&engine, line.data(), line.size(), 0, &rule) == RULE_PARSE_OK;
            rule_release(&rule);
        }
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["accepted"] = static_cast<double>(accepted);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
    urlfilter_context_release(&engine);
}
BENCHMARK(BM_ParseList)->Unit(benchmark::kMillisecond);

}  // namespace
