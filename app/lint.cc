// `ovcore lint FILE...`: parses every line of filter lists and reports the
// network and cosmetic rules the filters reject, with the parser's own
// reason; foreign rules are checked in the forms the converter gives them.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/lint_cosmetic.h"
#include "core/filtering/urlfilter/rule.h"
#include "core/filtering/urlfilter/rule_parser.h"

namespace {

struct LintCounts {
    size_t lines = 0;
    size_t accepted = 0;
    size_t cosmetic = 0;
    size_t converted = 0;
    size_t other = 0;
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

struct Linters {
    urlfilter_context_t *engine;
    cosmetic_linter_s *cosmetic;
    ParserMessages *messages;
};

lint_verdict_t lint_network(const Linters &linters, const std::string &text) {
    lint_verdict_t verdict;
    if (!rule_text_is_network(text.data(), text.size())) {
        return verdict;
    }
    cached_rule_t rule{};
    int rc = parse_rule(linters.engine, text.data(), text.size(), 0, &rule);
    rule_release(&rule);
    verdict.kind = rc == RULE_PARSE_OK ? lint_verdict_t::ACCEPTED : lint_verdict_t::REJECTED;
    verdict.reason = rc == RULE_PARSE_SILENT ? "rejected" : linters.messages->reason();
    return verdict;
}

// A network rule, else a cosmetic rule, else nothing a filter reads.
lint_verdict_t lint_text(const Linters &linters, const std::string &text, bool *cosmetic) {
    linters.messages->clear();
    lint_verdict_t verdict = lint_network(linters, text);
    *cosmetic = verdict.kind == lint_verdict_t::NOT_COSMETIC;
    if (*cosmetic) {
        verdict = cosmetic_lint_rule(linters.cosmetic, text);
    }
    return verdict;
}

void report(const std::string &file, size_t number, const std::string &reason,
            const std::string &rule, const std::string &line, LintCounts *counts) {
    printf("%s:%zu: %s: %s\n", file.c_str(), number, reason.c_str(), line.c_str());
    ++counts->rejected;
    ++counts->reasons[reason_group(reason, rule)];
}

// A text no filter takes as written is checked in the forms the converter
// gives it, as the facade would offer them. Returns false when the
// converter leaves the text alone.
bool lint_converted(const Linters &linters, const std::string &file, size_t number,
                    const std::string &line, LintCounts *counts) {
    std::vector<std::string> converted = cosmetic_lint_convert(linters.cosmetic, line);
    if (converted.empty()) {
        return false;
    }
    for (const std::string &text : converted) {
        bool cosmetic = false;
        lint_verdict_t verdict = lint_text(linters, text, &cosmetic);
        if (verdict.kind != lint_verdict_t::ACCEPTED) {
            std::string reason = verdict.kind == lint_verdict_t::REJECTED
                                     ? verdict.reason
                                     : "converted rule is not a rule";
            report(file, number, reason + " (converted to " + text + ")", text, line, counts);
            return true;
        }
    }
    ++counts->converted;
    return true;
}

void lint_line(const Linters &linters, const std::string &file, size_t number, std::string line,
               LintCounts *counts) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    ++counts->lines;
    bool cosmetic = false;
    lint_verdict_t verdict = lint_text(linters, line, &cosmetic);
    if (verdict.kind == lint_verdict_t::ACCEPTED) {
        ++(cosmetic ? counts->cosmetic : counts->accepted);
    } else if (!lint_converted(linters, file, number, line, counts)) {
        if (verdict.kind == lint_verdict_t::REJECTED) {
            report(file, number, verdict.reason, line, line, counts);
        } else {
            ++counts->other;
        }
    }
}

void print_summary(const LintCounts &counts) {
    printf(
        "\nlines read: %zu\nnetwork rules accepted: %zu\ncosmetic rules accepted: %zu\n"
        "foreign rules accepted after conversion: %zu\n"
        "other lines (comments, headers, rules no filter takes): %zu\nrules rejected: %zu\n",
        counts.lines, counts.accepted, counts.cosmetic, counts.converted, counts.other,
        counts.rejected);
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
    cosmetic_linter_s *cosmetic = cosmetic_linter_create(logger, &messages.warnings);
    if (cosmetic == nullptr) {
        fprintf(stderr, "ovcore lint: out of memory\n");
        return 2;
    }
    Linters linters{&engine, cosmetic, &messages};
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
            lint_line(linters, argv[i], ++number, std::move(line), &counts);
        }
    }
    print_summary(counts);
    cosmetic_linter_free(cosmetic);
    urlfilter_context_release(&engine);
    logger_close(logger);
    return status != 0 ? status : counts.rejected == 0 ? 0 : 1;
}
