// `ovcore lint FILE...`: parses every line of filter lists and reports the
// network rules the engine rejects, with the parser's own reason.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/commands.h"
#include "core/filtering/urlfilter/rule.h"
#include "core/filtering/urlfilter/rule_parser.h"

namespace {

struct LintCounts {
    size_t lines = 0;
    size_t accepted = 0;
    size_t not_network = 0;
    size_t rejected = 0;
    std::map<std::string, size_t> reasons;
};

// Collects what the parser says about one rule.
struct ParserMessages {
    std::vector<std::string> warnings;  // WARN and ERROR
    std::string unknown_option;         // the TRACE line naming an unknown option

    static void callback(void *arg, const char *, int level, const char *message) {
        auto *self = static_cast<ParserMessages *>(arg);
        std::string text = message;
        size_t prefix = text.find("(): ");
        if (prefix != std::string::npos) {
            text.erase(0, prefix + 4);
        }
        if (level <= LOG_LEVEL_WARN) {
            self->warnings.push_back(text);
        } else if (text.rfind("Got unknown option", 0) == 0) {
            self->unknown_option = text;
        }
    }
    void clear() {
        warnings.clear();
        unknown_option.clear();
    }
    std::string reason() const {
        if (!warnings.empty()) {
            return warnings.front();
        }
        return unknown_option.empty() ? "rejected" : unknown_option;
    }
};

// Reasons that quote the rule are grouped with the rule left out.
std::string reason_group(std::string reason, const std::string &rule) {
    for (size_t at; !rule.empty() && (at = reason.find(rule)) != std::string::npos;) {
        reason.replace(at, rule.size(), "RULE");
    }
    return reason;
}

void lint_line(urlfilter_context_t *engine, ParserMessages *messages, const std::string &file,
               size_t number, std::string line, LintCounts *counts) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    ++counts->lines;
    if (!rule_text_is_network(line.data(), line.size())) {
        ++counts->not_network;
        return;
    }
    messages->clear();
    cached_rule_t rule{};
    int rc = parse_rule(engine, line.data(), line.size(), 0, &rule);
    rule_release(&rule);
    if (rc == RULE_PARSE_OK) {
        ++counts->accepted;
        return;
    }
    std::string reason = rc == RULE_PARSE_SILENT ? "rejected" : messages->reason();
    printf("%s:%zu: %s: %s\n", file.c_str(), number, reason.c_str(), line.c_str());
    ++counts->rejected;
    ++counts->reasons[reason_group(reason, line)];
}

void print_summary(const LintCounts &counts) {
    printf(
        "\nlines read: %zu\nnetwork rules accepted: %zu\nlines that are not network rules: %zu\n"
        "rules rejected: %zu\n",
        counts.lines, counts.accepted, counts.not_network, counts.rejected);
    std::vector<std::pair<std::string, size_t>> groups(counts.reasons.begin(),
                                                       counts.reasons.end());
    std::stable_sort(groups.begin(), groups.end(),
                     [](const auto &a, const auto &b) { return a.second > b.second; });
    for (const auto &[reason, count] : groups) {
        printf("  %6zu  %s\n", count, reason.c_str());
    }
}

}  // namespace

int ovcore_lint(int argc, char **argv) {
    if (argc == 0) {
        fprintf(stderr, "usage: ovcore lint FILE...\n");
        return 2;
    }
    ParserMessages messages;
    logger_s *logger =
        logger_open_with_callback("lint", LOG_LEVEL_TRACE, ParserMessages::callback, &messages);
    urlfilter_context_t engine;
    urlfilter_context_init(&engine, logger, true);
    LintCounts counts;
    int status = 0;
    for (int i = 0; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            fprintf(stderr, "ovcore lint: cannot read %s\n", argv[i]);
            status = 2;
            continue;
        }
        size_t number = 0;
        for (std::string line; std::getline(in, line);) {
            lint_line(&engine, &messages, argv[i], ++number, std::move(line), &counts);
        }
    }
    print_summary(counts);
    urlfilter_context_release(&engine);
    logger_close(logger);
    return status != 0 ? status : counts.rejected == 0 ? 0 : 1;
}
