// "$replace" and "$csp": the two modifiers whose record is their value text.
// "$replace=/regex/replacement/options" rewrites a response body;
// "$csp=policy" adds a Content-Security-Policy to a page.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/commons/strview.h"
#include "core/filtering/urlfilter/network_modifiers.h"
#include "core/filtering/urlfilter/rule_options.h"

namespace {

const char kReplaceFn[] = "extract_replace";
const char kCspFn[] = "extract_csp";

int rule_len(const cached_rule_t *rule) {
    return static_cast<int>(rule->text_len);
}

// Stores `text` (owned; null for none) as the options' `field`, replacing
// what an earlier option stored there. Returns 0, or -1 when memory ran out.
int install_text(logger_s *logger, const char *fn, cached_rule_t *rule,
                 char *rule_options_t::*field, char *text) {
    rule_options_t *options = rule_options_ensure_logged(rule, logger, fn);
    if (options == nullptr) {
        free(text);
        return -1;
    }
    free(options->*field);
    options->*field = text;
    return 0;
}

// Positions of the first three "/" that no backslash escapes (the first byte
// always counts); returns how many such slashes there are in all.
size_t find_slashes(std::string_view text, size_t slashes[3]) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '/' && (i == 0 || text[i - 1] != '\\')) {
            if (count < 3) {
                slashes[count] = i;
            }
            ++count;
        }
    }
    return count;
}

// The options after the third slash: "i" and "s", each at most once.
int check_replace_options(logger_s *logger, const cached_rule_t *rule, std::string_view flags) {
    std::string all(flags);  // the messages print them as a C string
    bool seen_i = false;
    bool seen_s = false;
    for (char c : flags) {
        bool *seen = c == 'i' ? &seen_i : c == 's' ? &seen_s : nullptr;
        if (seen == nullptr) {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): found unknown regex option ('%c' -- full regex options='%s', "
                       "rule='%.*s')",
                       kReplaceFn, c, all.c_str(), rule_len(rule), rule->text);
            return 1;
        }
        if (*seen) {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): found duplicated regex option ('%c' -- full regex options='%s', "
                       "rule='%.*s')",
                       kReplaceFn, c, all.c_str(), rule_len(rule), rule->text);
            return 1;
        }
        *seen = true;
    }
    return 0;
}

// Compiled only to refuse a broken expression at load time; the record keeps
// the text, and applying it compiles it again with its options.
int check_replace_regex(logger_s *logger, const cached_rule_t *rule, std::string_view regex) {
    int error;
    PCRE2_SIZE offset;
    pcre2_code *code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(regex.data()), regex.size(), 0,
                                     &error, &offset, nullptr);
    if (code == nullptr) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(error, message, sizeof(message));
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): failed to compile regex in replace rule: rule='%.*s' regex='%.*s' "
                   "error='%s' offset=%zu",
                   kReplaceFn, rule_len(rule), rule->text, static_cast<int>(regex.size()),
                   regex.data(), reinterpret_cast<const char *>(message), offset);
        return 1;
    }
    pcre2_code_free(code);
    return 0;
}

// Checks "/regex/replacement/options" (the text after "=").
int check_replace_text(logger_s *logger, const cached_rule_t *rule, std::string_view text) {
    if (text.size() <= 2) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): option is less than 3 characters (rule='%.*s')",
                   kReplaceFn, rule_len(rule), rule->text);
        return 1;
    }
    size_t slashes[3];
    if (find_slashes(text, slashes) != 3) {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): rule has invalid number of slashes in option - must be 3 (rule='%.*s')",
                   kReplaceFn, rule_len(rule), rule->text);
        return 1;
    }
    if (check_replace_options(logger, rule, text.substr(slashes[2] + 1)) != 0) {
        return 1;
    }
    return check_replace_regex(logger, rule, text.substr(1, slashes[1] - 1));
}

// A list rule must not make pages send violation reports (and with them the
// pages' addresses) to an endpoint the list author chose.
bool has_report_directive(std::string_view policy) {
    for (size_t start = 0; start <= policy.size();) {
        std::string_view rest = policy.substr(start);
        std::string_view piece = rest.substr(0, strview::find_char(rest, ';'));
        if (strview::starts_with_nocase(piece, "report-uri") ||
            strview::starts_with_nocase(piece, "report-to")) {
            return true;
        }
        start += piece.size() + 1;
    }
    return false;
}

// Checks "=/regex/replacement/options" and copies the text after "=" into
// `*out`.
int replace_extract(logger_s *logger, const cached_rule_t *rule, std::string_view value,
                    char **out) {
    // The first byte, normally "=", is not examined.
    if (value.size() < 2 || value[1] != '/') {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): option doesn't start with / (rule='%.*s')",
                   kReplaceFn, rule_len(rule), rule->text);
        return 1;
    }
    std::string_view text = value.substr(1);
    if (check_replace_text(logger, rule, text) != 0) {
        return 1;
    }
    *out = strndup(text.data(), text.size());
    if (*out == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate replace option storage",
                   kReplaceFn);
        return -1;
    }
    return 0;
}

// Checks "=policy" and copies the policy into `*out`.
int csp_extract(logger_s *logger, std::string_view value, char **out) {
    if (value[0] != '=') {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): $csp%.*s is not a valid $csp option", kCspFn,
                   static_cast<int>(value.size()), value.data());
        return 1;
    }
    std::string_view policy = value.substr(1);
    if (policy.empty()) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): $csp= option must have value", kCspFn);
        return 1;
    }
    if (has_report_directive(policy)) {
        return 1;
    }
    *out = strndup(policy.data(), policy.size());
    if (*out == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate csp option storage", kCspFn);
        return -1;
    }
    return 0;
}

}  // namespace

int extract_replace(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                    const char *value) {
    logger_s *logger = engine->logger;
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Called with rule: %.*s -- option replace=%.*s",
               kReplaceFn, rule_len(rule), rule->text, static_cast<int>(length), value);
    char *text = nullptr;  // none: an exception that cancels every replace rule
    if (length == 0) {
        if (!(rule->flags & RULE_WHITELIST)) {
            logger_log(logger, LOG_LEVEL_WARN, "%s(): option has no value (rule='%.*s')",
                       kReplaceFn, rule_len(rule), rule->text);
            return 1;
        }
    } else {
        int status = replace_extract(logger, rule, {value, length}, &text);
        if (status != 0) {
            return status;
        }
    }
    return install_text(logger, kReplaceFn, rule, &rule_options_t::replace_text, text);
}

int extract_csp(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                const char *value) {
    logger_s *logger = engine->logger;
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Called with rule: %.*s -- option $csp%.*s", kCspFn,
               rule_len(rule), rule->text, static_cast<int>(length), value);
    char *policy = nullptr;  // none: an exception that cancels every csp rule
    if (length == 0) {
        logger_log(logger, LOG_LEVEL_TRACE, "%s(): $csp without any options", kCspFn);
        if (!(rule->flags & RULE_WHITELIST)) {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): $csp without any options must be a whitelist rule: %.*s", kCspFn,
                       rule_len(rule), rule->text);
            return 1;
        }
    } else {
        int status = csp_extract(logger, {value, length}, &policy);
        if (status != 0) {
            return status;
        }
    }
    return install_text(logger, kCspFn, rule, &rule_options_t::csp_text, policy);
}
