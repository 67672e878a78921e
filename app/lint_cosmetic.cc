#include "app/lint_cosmetic.h"

#include <memory>

#include "core/filtering/converter/rule_converter.h"
#include "core/filtering/cosmetic/cssfilter.h"
#include "core/filtering/cosmetic/jsfilter.h"

struct cosmetic_linter_s {
    std::unique_ptr<cssfilter_s, decltype(&cssfilter_free)> css{nullptr, cssfilter_free};
    std::unique_ptr<jsfilter_s, decltype(&jsfilter_free)> js{nullptr, jsfilter_free};
    std::unique_ptr<rule_converter_s, decltype(&rule_converter_free)> converter{
        nullptr, rule_converter_free};
    const std::vector<std::string> *messages = nullptr;
};

cosmetic_linter_s *cosmetic_linter_create(logger_s *logger,
                                          const std::vector<std::string> *messages) {
    auto linter = std::make_unique<cosmetic_linter_s>();
    linter->css.reset(cssfilter_create(logger));
    linter->js.reset(jsfilter_create(logger));
    linter->converter.reset(rule_converter_alloc());
    linter->messages = messages;
    if (!linter->css || !linter->js || !linter->converter) {
        return nullptr;
    }
    return linter.release();
}

void cosmetic_linter_free(cosmetic_linter_s *linter) {
    delete linter;
}

namespace {

std::string first_message(const cosmetic_linter_s *linter) {
    return linter->messages->empty() ? "rejected" : linter->messages->front();
}

}  // namespace

lint_verdict_t cosmetic_lint_rule(cosmetic_linter_s *linter, const std::string &text) {
    cosmetic_rule_t *rule = nullptr;
    int status = cosmetic_parse_rule(&linter->css->parser, text.data(), text.size(), &rule);
    if (status == COSMETIC_PARSE_NOT_COSMETIC) {
        status = cosmetic_parse_rule(&linter->js->parser, text.data(), text.size(), &rule);
    }
    std::unique_ptr<cosmetic_rule_t, decltype(&cosmetic_rule_free)> owned(rule, cosmetic_rule_free);
    lint_verdict_t verdict;
    if (status == COSMETIC_PARSE_NOT_COSMETIC) {
        return verdict;
    }
    if (status != COSMETIC_PARSE_OK) {
        verdict.kind = lint_verdict_t::REJECTED;
        verdict.reason = first_message(linter);
    } else if (rule->call != nullptr && rule->call->base_index < 0) {
        verdict.kind = lint_verdict_t::REJECTED;
        verdict.reason =
            "Unknown scriptlet: " + std::string(rule->call->name.text, rule->call->name.length);
    } else {
        verdict.kind = lint_verdict_t::ACCEPTED;
    }
    return verdict;
}

std::vector<std::string> cosmetic_lint_convert(cosmetic_linter_s *linter, const std::string &text) {
    conv_rules_t rules = convert_rule(linter->converter.get(), text.data(), text.size());
    std::vector<std::string> converted;
    for (uint32_t i = 0; i < rules.count; ++i) {
        converted.emplace_back(rules.rules[i].data, rules.rules[i].length);
    }
    conv_rules_free(&rules);
    return converted;
}
