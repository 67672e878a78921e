// The cosmetic side of `ovcore lint`: element-hiding, style and script
// rules checked by the content filter's own parsers, and foreign rules
// checked in the forms the rule converter gives them.
#pragma once

#include <string>
#include <vector>

#include "core/commons/logger.h"

struct cosmetic_linter_s;

// What lint makes of one text.
struct lint_verdict_t {
    enum Kind { NOT_COSMETIC, ACCEPTED, REJECTED } kind = NOT_COSMETIC;
    std::string reason;  // for REJECTED
};

// The linter logs its parsers' messages to `logger` (borrowed), whose
// callback collects the reasons; `messages` is where they arrive.
cosmetic_linter_s *cosmetic_linter_create(logger_s *logger,
                                          const std::vector<std::string> *messages);
void cosmetic_linter_free(cosmetic_linter_s *linter);

// Checks one cosmetic rule text. An unknown scriptlet name is a rejection:
// the script filter would drop the rule on its first build.
lint_verdict_t cosmetic_lint_rule(cosmetic_linter_s *linter, const std::string &text);

// The texts the rule converter makes of a foreign rule (none for a rule
// the converter leaves alone).
std::vector<std::string> cosmetic_lint_convert(cosmetic_linter_s *linter, const std::string &text);
