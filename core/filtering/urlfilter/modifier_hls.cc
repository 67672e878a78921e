// "$hls": which lines of an HLS playlist a rule removes, given as a URL
// pattern or as a regular expression between slashes with the options "t"
// (match the segment's tag lines) and "i" (ignore case).
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/commons/strview.h"
#include "core/filtering/common/pattern_to_regex.h"
#include "core/filtering/urlfilter/network_modifiers.h"
#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/rule_parser.h"

namespace {

const char kFn[] = "hls_extract";

// Rule lists escape these in the value: "$" would start the rule's options,
// "," would end this one and "/" would end an expression.
constexpr std::string_view kEscapes = "$/,";

int rule_len(const cached_rule_t *rule) {
    return static_cast<int>(rule->text_len);
}

// The expression and compile options a value stands for, and its "t" flag.
struct HlsRegex {
    std::string expression;
    uint32_t options = 0;
    bool t = false;
};

// "/body/options": the options are "t" and "i", each at most once.
int parse_regex_form(logger_s *logger, const cached_rule_t *rule, std::string_view text,
                     HlsRegex *out) {
    size_t close = strview::find_last_char(text, '/');
    if (close == 0) {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Invalid regex syntax: no terminating '/', rule='%.*s'", kFn,
                   rule_len(rule), rule->text);
        return 1;
    }
    std::string_view flags = text.substr(close + 1);
    for (char c : flags) {
        if (c != 't' && c != 'i') {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): Unrecognized regex option: '%c', options='%.*s', rule='%.*s')", kFn,
                       c, static_cast<int>(flags.size()), flags.data(), rule_len(rule), rule->text);
            return 1;
        }
        if (c == 't' ? out->t : (out->options & PCRE2_CASELESS) != 0) {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): Duplicate regex option: '%c', options='%.*s', rule='%.*s'", kFn, c,
                       static_cast<int>(flags.size()), flags.data(), rule_len(rule), rule->text);
            return 1;
        }
        if (c == 't') {
            out->t = true;
        } else {
            out->options |= PCRE2_CASELESS;
        }
    }
    out->expression = strview::unescape(text.substr(1, close - 1), '\\', kEscapes);
    return 0;
}

// A URL pattern; returns 0, or -1 when memory ran out.
int parse_plain_form(logger_s *logger, const cached_rule_t *rule, std::string_view text,
                     HlsRegex *out) {
    std::string pattern = strview::unescape(text, '\\', kEscapes);
    char *expression = pattern_to_regex(pattern.data(), pattern.size());
    if (expression == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate rule options storage", kFn);
        return -1;
    }
    out->expression = expression;
    free(expression);
    out->options =
        RULE_PATTERN_COMPILE_OPTIONS | (rule->flags & RULE_CASE_SENSITIVE ? 0 : PCRE2_CASELESS);
    return 0;
}

pcre2_code *compile(logger_s *logger, const cached_rule_t *rule, const HlsRegex &regex) {
    int error;
    PCRE2_SIZE offset;
    pcre2_code *code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(regex.expression.data()),
                      regex.expression.size(), regex.options, &error, &offset, nullptr);
    if (code == nullptr) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(error, message, sizeof(message));
        // The caret lines up under the failing byte of the expression line.
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Failed to compile regex: rule='%.*s'\n%s\n%*s^\n%s", kFn, rule_len(rule),
                   rule->text, regex.expression.c_str(), static_cast<int>(offset), "",
                   reinterpret_cast<const char *>(message));
    }
    return code;
}

// Parses "=pattern" or "=/regex/options" into a new record in `*out`.
int hls_extract(logger_s *logger, const cached_rule_t *rule, std::string_view value,
                hls_rule_t **out) {
    if (value[0] != '=') {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Expected '=' after the modifier name, rule='%.*s'", kFn, rule_len(rule),
                   rule->text);
        return 1;
    }
    std::string_view text = value.substr(1);
    if (text.empty()) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Modifier value is empty, rule='%.*s'", kFn,
                   rule_len(rule), rule->text);
        return 1;
    }
    HlsRegex regex;
    int status = text[0] == '/' ? parse_regex_form(logger, rule, text, &regex)
                                : parse_plain_form(logger, rule, text, &regex);
    if (status != 0) {
        return status;
    }
    pcre2_code *code = compile(logger, rule, regex);
    if (code == nullptr) {
        return 1;
    }
    auto *record = static_cast<hls_rule_t *>(calloc(1, sizeof(hls_rule_t)));
    char *pattern = strndup(text.data(), text.size());
    if (record == nullptr || pattern == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate rule options storage", kFn);
        pcre2_code_free(code);
        free(record);
        free(pattern);
        return -1;
    }
    record->pattern = pattern;
    record->regex = code;
    record->t = regex.t;
    *out = record;
    return 0;
}

}  // namespace

int extract_hls(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                const char *value) {
    static const char kExtractFn[] = "extract_hls";
    logger_s *logger = engine->logger;
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Called with rule: %.*s -- option hls%.*s",
               kExtractFn, rule_len(rule), rule->text, static_cast<int>(length), value);
    hls_rule_t *record = nullptr;  // none: an exception for every HLS rule
    if (length == 0) {
        if (!(rule->flags & RULE_WHITELIST)) {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): Non-exception HLS rule must have a modifier value, rule='%.*s'",
                       kExtractFn, rule_len(rule), rule->text);
            return 1;
        }
    } else {
        int status = hls_extract(logger, rule, {value, length}, &record);
        if (status != 0) {
            return status;
        }
    }
    rule_options_t *options = rule_options_ensure_logged(rule, logger, kExtractFn);
    if (options == nullptr) {
        hls_rule_free(record);
        return -1;
    }
    hls_rule_free(options->hls);
    options->hls = record;
    return 0;
}

void hls_rule_free(hls_rule_t *record) {
    if (record == nullptr) {
        return;
    }
    free(record->pattern);
    pcre2_code_free(record->regex);
    free(record);
}
