// Public-suffix and domain-list checks over real host names: the host names
// and domain lists that EasyList and EasyPrivacy (Debian's
// webext-ublock-origin-chromium) carry.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/filtering/common/public_suffix.h"
#include "core/filtering/common/rule_domains.h"

namespace {

const char *const kLists[] = {
    "/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist/easylist.txt",
    "/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist/easyprivacy.txt",
};
constexpr size_t kHostCount = 100000;

bool host_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

bool looks_like_host(const std::string &s) {
    size_t dot = s.rfind('.');
    if (dot == std::string::npos || dot == 0 || s.front() == '-' || s.size() - dot < 3) {
        return false;
    }
    return std::all_of(s.begin() + static_cast<long>(dot) + 1, s.end(),
                       [](char c) { return c >= 'a' && c <= 'z'; });
}

struct Corpus {
    // The hosts lie back to back in one buffer, as a request's host lies in its
    // parsed URL: the benchmark measures the lookups, not heap-scattered strings.
    std::string arena;
    std::vector<std::string_view> hosts;
    std::vector<std::string> domain_lists;  // '|'-separated, as in "domain=" options
};

void scan_line(const std::string &line, std::unordered_set<std::string> *hosts,
               std::vector<std::string> *found, Corpus *corpus) {
    size_t option = line.find("domain=");
    if (option != std::string::npos && line.rfind("!", 0) != 0) {
        size_t end = line.find_first_of(",$", option);
        corpus->domain_lists.push_back(line.substr(option + 7, end - option - 7));
    }
    for (size_t i = 0; i < line.size();) {
        size_t j = i;
        while (j < line.size() && host_char(line[j])) {
            ++j;
        }
        std::string token = line.substr(i, j - i);
        if (looks_like_host(token) && hosts->insert(token).second) {
            found->push_back(token);
        }
        i = j + 1;
    }
}

const Corpus &corpus() {
    static Corpus c = [] {
        Corpus out;
        std::unordered_set<std::string> seen;
        std::vector<std::string> found;
        for (const char *path : kLists) {
            std::ifstream in(path);
            for (std::string line; std::getline(in, line);) {
                scan_line(line, &seen, &found, &out);
            }
        }
        std::mt19937 rng(42);
        std::shuffle(found.begin(), found.end(), rng);
        found.resize(std::min(found.size(), kHostCount));
        for (const std::string &host : found) {
            out.arena += host;
        }
        for (size_t at = 0; const std::string &host : found) {
            out.hosts.emplace_back(out.arena.data() + at, host.size());
            at += host.size();
        }
        return out;
    }();
    return c;
}

bool have_corpus(benchmark::State &state) {
    if (corpus().hosts.empty()) {
        state.SkipWithError("EasyList not found: install webext-ublock-origin-chromium");
        return false;
    }
    return true;
}

void BM_RegistryLength(benchmark::State &state) {
    if (!have_corpus(state)) {
        return;
    }
    const std::vector<std::string_view> &hosts = corpus().hosts;
    size_t i = 0;
    for (auto _ : state) {
        std::string_view host = hosts[i++ % hosts.size()];
        benchmark::DoNotOptimize(registry_length(host.data(), host.size()));
    }
    state.counters["hosts"] = static_cast<double>(hosts.size());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegistryLength);

// Each host against one of the real "domain=" lists, in turn.
void BM_MatchRuleDomains(benchmark::State &state) {
    if (!have_corpus(state)) {
        return;
    }
    std::vector<rule_domains_t> lists;
    for (const std::string &text : corpus().domain_lists) {
        rule_domains_t d;
        if (extract_rule_domains_with_delim(text.data(), text.size(), '|', &d, nullptr) == 0) {
            lists.push_back(d);
        }
    }
    const std::vector<std::string_view> &hosts = corpus().hosts;
    size_t i = 0, allowed = 0;
    for (auto _ : state) {
        std::string_view host = hosts[i % hosts.size()];
        rule_domains_match_t m =
            match_rule_domains(host.data(), host.size(), &lists[i % lists.size()]);
        allowed += m.allowed;
        ++i;
    }
    state.counters["lists"] = static_cast<double>(lists.size());
    state.counters["allowed"] = static_cast<double>(allowed);
    state.SetItemsProcessed(state.iterations());
    for (rule_domains_t &d : lists) {
        rule_domains_release(&d);
    }
}
BENCHMARK(BM_MatchRuleDomains);

}  // namespace
