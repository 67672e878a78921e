// "$removeparam": which query parameters a rule strips, as a name or as a
// regular expression between slashes, either one optionally negated by "~".
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

// Rule lists escape these inside the expression: "$" would start the rule's
// options and "," would end this one; "/" would end the expression.
constexpr char kRegexEscapes[] = "$,/";

bool has_unescaped_slash(std::string_view body) {
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '/' && (i == 0 || body[i - 1] != '\\')) {
            return true;
        }
    }
    return false;
}

// Fills `record` from "/body/options"; returns 0 or 1.
int add_regex_param(logger_s *logger, std::string_view param, removeparam_t *record) {
    static const char kFn[] = "add_regex_param";
    if (param.size() < 3) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Too short or empty regex parameter: %.*s", kFn,
                   static_cast<int>(param.size()), param.data());
        return 1;
    }
    size_t close = strview::find_last_char(param, '/');
    if (close == 0) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Regex parameter should end with '/': %.*s", kFn,
                   static_cast<int>(param.size()), param.data());
        return 1;
    }
    uint32_t options = 0;
    for (char c : param.substr(close + 1)) {
        if (c != 'i') {
            logger_log(logger, LOG_LEVEL_WARN, "%s(): Unknown regex option: %c", kFn, c);
            return 1;
        }
        if (options & PCRE2_CASELESS) {
            logger_log(logger, LOG_LEVEL_WARN, "%s(): Duplicate regex option: %c", kFn, c);
            return 1;
        }
        options |= PCRE2_CASELESS;
    }
    std::string_view raw = param.substr(1, close - 1);
    if (has_unescaped_slash(raw)) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Regex is malformed: %.*s", kFn,
                   static_cast<int>(param.size()), param.data());
        return 1;
    }
    std::string body = strview::unescape(raw, '\\', kRegexEscapes);
    int error;
    PCRE2_SIZE offset;
    pcre2_code *regex = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(body.data()), body.size(),
                                      options, &error, &offset, nullptr);
    if (regex == nullptr) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(error, message, sizeof(message));
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Couldn't compile regexp '%.*s': %s (offset=%zu)",
                   kFn, static_cast<int>(body.size()), body.data(),
                   reinterpret_cast<const char *>(message), offset);
        return 1;
    }
    record->is_regex = 1;
    record->regex = regex;
    record->regex_options = options;
    return 0;
}

// Fills `record` with a parameter name; returns 0, 1 or -1.
int add_text_param(logger_s *logger, std::string_view param, removeparam_t *record) {
    static const char kFn[] = "add_text_param";
    if (strview::find_char(param, '=') != param.size()) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Parameter must not contain '=' characters: %.*s",
                   kFn, static_cast<int>(param.size()), param.data());
        return 1;
    }
    record->name = static_cast<char *>(malloc(param.size()));
    if (record->name == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate rule options storage", kFn);
        return -1;
    }
    memcpy(record->name, param.data(), param.size());
    record->name_len = param.size();
    return 0;
}

// Parses "=[~]name" or "=[~]/regex/i" into a new record in `*out`.
int removeparam_extract(logger_s *logger, const cached_rule_t *rule, std::string_view value,
                        removeparam_t **out) {
    static const char kFn[] = "removeparam_extract";
    if (value[0] != '=') {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Unexpected character: %c, expected '=' (rule: %.*s)", kFn, value[0],
                   static_cast<int>(rule->text_len), rule->text);
        return 1;
    }
    std::string_view param = value.substr(1);
    if (param.empty() || param == "~") {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Rule has malformed syntax: there must be some expression specified after "
                   "equal sign",
                   kFn);
        return 1;
    }
    auto *record = static_cast<removeparam_t *>(calloc(1, sizeof(removeparam_t)));
    if (record == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate rule options storage", kFn);
        return -1;
    }
    if (param[0] == '~') {
        record->negate = 1;
        param.remove_prefix(1);
    }
    int status = param[0] == '/' ? add_regex_param(logger, param, record)
                                 : add_text_param(logger, param, record);
    if (status != 0) {
        removeparam_free(record);
        return status;
    }
    *out = record;
    return 0;
}

}  // namespace

int extract_removeparam(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                        const char *value) {
    static const char kFn[] = "extract_removeparam";
    logger_s *logger = engine->logger;
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Called with rule: %.*s -- option removeparam=%.*s",
               kFn, static_cast<int>(rule->text_len), rule->text, static_cast<int>(length), value);
    removeparam_t *record = nullptr;  // none: every parameter
    if (length != 0) {
        int status = removeparam_extract(logger, rule, {value, length}, &record);
        if (status != 0) {
            return status;
        }
    }
    rule_options_t *options = rule_options_ensure_logged(rule, logger, kFn);
    if (options == nullptr) {
        removeparam_free(record);
        return -1;
    }
    removeparam_free(options->removeparam);
    options->removeparam = record;
    return 0;
}

void removeparam_free(removeparam_t *record) {
    if (record == nullptr) {
        return;
    }
    if (record->is_regex) {
        pcre2_code_free(record->regex);
    } else {
        free(record->name);
    }
    free(record);
}
