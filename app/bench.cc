// `ovcore bench --rules FILE... --requests FILE.jsonl [--rounds N]`: load
// time, memory and per-request match time of the network engine, measured
// the way tools/bench/peers measures other engines.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/request_reader.h"

namespace {

using Clock = std::chrono::steady_clock;

double resident_mib() {
    long pages = 0, resident = 0;
    FILE *statm = fopen("/proc/self/statm", "r");
    if (statm != nullptr) {
        if (fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

bool read_lines(const char *path, std::vector<std::string> *lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fprintf(stderr, "ovcore bench: cannot read %s\n", path);
        return false;
    }
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines->push_back(std::move(line));
    }
    return true;
}

bool blocks(urlfilter_s *engine, const urlfilter_request_t &request, double *micros) {
    Clock::time_point start = Clock::now();
    urlfilter_multirules_t result = urlfilter_matchurl(engine, &request);
    const urlfilter_rule_list_t &basic = result.lists[URLFILTER_LIST_BASIC];
    bool blocked = basic.count > 0 && basic.items[0].kind == URLFILTER_ITEM_BLOCKING;
    urlfilter_multirules_free(&result);
    *micros = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    return blocked;
}

// Nearest rank, as the peer harness computes it.
double percentile(std::vector<double> sorted, double p) {
    size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(sorted.size())));
    return sorted[std::max<size_t>(rank, 1) - 1];
}

struct Options {
    std::vector<const char *> rules;
    const char *requests = nullptr;
    int rounds = 5;
};

bool parse_options(int argc, char **argv, Options *o) {
    for (int i = 0; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--rules") == 0) {
            o->rules.push_back(argv[i + 1]);
        } else if (strcmp(argv[i], "--requests") == 0) {
            o->requests = argv[i + 1];
        } else if (strcmp(argv[i], "--rounds") == 0) {
            o->rounds = atoi(argv[i + 1]);
        } else {
            return false;
        }
    }
    return argc % 2 == 0 && !o->rules.empty() && o->requests != nullptr && o->rounds > 0;
}

}  // namespace

int ovcore_bench(int argc, char **argv) {
    Options o;
    if (!parse_options(argc, argv, &o)) {
        fprintf(stderr, "usage: ovcore bench --rules FILE... --requests FILE.jsonl [--rounds N]\n");
        return 2;
    }
    std::vector<std::string> rule_lines, request_lines;
    for (const char *path : o.rules) {
        if (!read_lines(path, &rule_lines)) {
            return 2;
        }
    }
    if (!read_lines(o.requests, &request_lines)) {
        return 2;
    }
    std::vector<tool_request_t> requests(request_lines.size());
    size_t usable = 0;
    for (const std::string &line : request_lines) {
        std::string error;
        usable += read_tool_request(line, &requests[usable], &error);
    }
    requests.resize(usable);

    LogHandle log("bench", LOG_LEVEL_ERROR);
    double rss_before = resident_mib();
    Clock::time_point start = Clock::now();
    urlfilter_s *engine = urlfilter_new(log.get(), URLFILTER_DEFAULT_CACHE_CAPACITY);
    for (const std::string &line : rule_lines) {
        urlfilter_addrule(engine, line.data(), line.size(), 0);
    }
    double load_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    double rss_growth = resident_mib() - rss_before;

    size_t blocked = 0;
    double micros;
    for (tool_request_t &r : requests) {
        r.request.url = r.url.c_str();  // the vector may have moved the strings
        r.request.referrer = r.referrer.c_str();
        r.request.app_name = r.has_app ? r.app.c_str() : nullptr;
        blocked += blocks(engine, r.request, &micros);
    }
    std::vector<double> times;
    double total = 0;
    for (int round = 0; round < o.rounds; ++round) {
        for (const tool_request_t &r : requests) {
            blocks(engine, r.request, &micros);
            times.push_back(micros);
            total += micros;
        }
    }
    std::sort(times.begin(), times.end());
    double mean = times.empty() ? 0 : total / static_cast<double>(times.size());
    double median = times.empty() ? 0 : percentile(times, 50),
           p99 = times.empty() ? 0 : percentile(times, 99);
    size_t rules = urlfilter_rule_count(engine);
    printf("ovcore: %zu rules loaded in %.1f ms, resident memory +%.1f MiB\n", rules, load_ms,
           rss_growth);
    printf(
        "%zu requests x %d rounds: median %.3f us, p99 %.3f us, mean %.3f us, %.0f requests/s, %zu "
        "blocked\n",
        requests.size(), o.rounds, median, p99, mean, mean > 0 ? 1e6 / mean : 0.0, blocked);
    printf(
        "{\"engine\":\"ovcore\",\"corpus\":\"\",\"rules\":%zu,\"load_ms\":%.1f,\"rss_growth_mib\":%"
        ".1f,"
        "\"requests\":%zu,\"median_us\":%.3f,\"p99_us\":%.3f,\"mean_us\":%.3f,\"rps\":%.0f,"
        "\"blocked\":%zu}\n",
        rules, load_ms, rss_growth, requests.size(), median, p99, mean, mean > 0 ? 1e6 / mean : 0.0,
        blocked);
    urlfilter_free(engine);
    return 0;
}
