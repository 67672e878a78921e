// The expression a rule pattern stands for, compiled and run the way the
// engine does it: the reference that direct pattern matching is checked
// against, in tests and in the fuzzer.
#pragma once

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdlib>
#include <string>

#include "core/filtering/common/pattern_to_regex.h"
#include "core/filtering/common/regex_limits.h"
#include "core/filtering/urlfilter/rule_parser.h"

inline std::string pattern_reference_lower(std::string text) {
    for (char &c : text) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}

// 1 matched, 0 not, -1 the expression did not compile or hit a limit.
inline int pattern_reference_run(const std::string &pattern, bool case_sensitive,
                                 const std::string &url) {
    char *expr = pattern_to_regex(pattern.data(), pattern.size());
    if (expr == nullptr) {
        return -1;
    }
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code *code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expr), PCRE2_ZERO_TERMINATED,
                      RULE_PATTERN_COMPILE_OPTIONS | (case_sensitive ? 0 : PCRE2_CASELESS), &error,
                      &offset, nullptr);
    free(expr);
    if (code == nullptr) {
        return -1;
    }
    int rc = regex_match(code, url.data(), url.size());
    pcre2_code_free(code);
    return rc < 0 ? -1 : rc;
}

inline bool pattern_reference_match(const std::string &pattern, bool case_sensitive,
                                    const std::string &url) {
    return pattern_reference_run(pattern, case_sensitive, url) == 1;
}
