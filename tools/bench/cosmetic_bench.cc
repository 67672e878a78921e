// Building what a page's content script receives, with EasyList and uBlock's
// own lists (Debian's webext-ublock-origin-chromium) loaded through the
// facade, so that foreign rules arrive converted as they would from a host.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/commons/logger.h"
#include "core/proxy/filter_content.h"
#include "core/proxy/proxy_filter_factory.h"

namespace {

const std::string kAssets = "/usr/share/chromium/extensions/ublock-origin/assets/";

struct Loaded {
    std::shared_ptr<OvProxyFilter> facade;
    OvFilterContent *content = nullptr;
    size_t lines = 0;
};

void load_list(OvProxyFilter &facade, const std::filesystem::path &file, size_t *lines) {
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line); ++*lines) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        facade.addRule(line.data(), line.size(), 0);
    }
}

// Loaded once for every benchmark; null when the lists are not installed.
Loaded *loaded() {
    static Loaded *lists = [] {
        if (!std::filesystem::exists(kAssets + "ublock")) {
            return static_cast<Loaded *>(nullptr);
        }
        logger_set_default_log_level(LOG_LEVEL_ERROR);
        auto *result = new Loaded;
        result->facade = ov_make_proxy_filter({});
        load_list(*result->facade, kAssets + "thirdparties/easylist/easylist.txt", &result->lines);
        for (const auto &entry : std::filesystem::directory_iterator(kAssets + "ublock")) {
            load_list(*result->facade, entry.path(), &result->lines);
        }
        result->content =
            static_cast<OvFilterContent *>(result->facade->getFilter(typeid(OvFilterContent)));
        // The first build folds the exceptions into their rules; pages after
        // it read the rules as they are.
        result->content->composeInjection(OvQueryParameters("dmn=example.org&css=3&js=1"));
        return result;
    }();
    return lists;
}

// Everything one page asks for: the common CSS, the specific and extended
// CSS with generic and specific rules, and the script.
void BM_ComposePage(benchmark::State &state, const char *domain) {
    Loaded *lists = loaded();
    if (lists == nullptr) {
        state.SkipWithError("lists not found: install webext-ublock-origin-chromium");
        return;
    }
    OvQueryParameters query(std::string("dmn=") + domain + "&pth=%2F&css=3&js=1");
    size_t bytes = 0;
    for (auto _ : state) {
        OvContentInjection injection = lists->content->composeInjection(query);
        benchmark::DoNotOptimize(injection.commonCss.get());
        bytes = 0;
        for (const OvMallocText *text : {&injection.commonCss, &injection.specificCss,
                                         &injection.extendedCss, &injection.script}) {
            bytes += *text ? strlen(text->get()) : 0;
        }
    }
    state.counters["lines_loaded"] = static_cast<double>(lists->lines);
    state.counters["cosmetic_rules"] = static_cast<double>(lists->content->ruleCount());
    state.counters["bytes_out"] = static_cast<double>(bytes);
}

// Only the page's own CSS, as for a page that asked for no common CSS.
void BM_SpecificCss(benchmark::State &state, const char *domain) {
    Loaded *lists = loaded();
    if (lists == nullptr) {
        state.SkipWithError("lists not found: install webext-ublock-origin-chromium");
        return;
    }
    OvQueryParameters query(std::string("dmn=") + domain + "&pth=%2F&css=2");
    for (auto _ : state) {
        OvContentInjection injection = lists->content->composeInjection(query);
        benchmark::DoNotOptimize(injection.specificCss.get());
    }
}

}  // namespace

BENCHMARK_CAPTURE(BM_ComposePage, youtube, "www.youtube.com")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ComposePage, reddit, "www.reddit.com")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ComposePage, cnn, "edition.cnn.com")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ComposePage, unknown, "quiet.example")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SpecificCss, youtube, "www.youtube.com")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SpecificCss, unknown, "quiet.example")->Unit(benchmark::kMicrosecond);
