// "$cookie": which cookies a rule acts on (a name, a regular expression
// between slashes, or every cookie) and the attributes it forces on them
// ("maxAge", "sameSite").
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/commons/encoding.h"
#include "core/commons/strview.h"
#include "core/filtering/urlfilter/network_modifiers.h"
#include "core/filtering/urlfilter/rule_options.h"

namespace {

const char kFn[] = "cookierule_extract_modifiers";

// Rule lists escape these inside the expression: "$" would start the rule's
// options, "," would end this one and "/" would end the expression.
constexpr std::string_view kRegexEscapes = "$,/";

// RFC 6265 forbids these in a cookie name (the RFC 2616 separators).
constexpr std::string_view kNameSeparators = " ()<>@,;:\\\"/[]?={}";

// Position of the first "/" that no backslash escapes, or text.size().
size_t find_closing_slash(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '/' && (i == 0 || text[i - 1] != '\\')) {
            return i;
        }
    }
    return text.size();
}

// `text` follows "=/": "regex/" and optionally ";modifiers". Leaves the
// modifiers in `*rest`.
int parse_regex(logger_s *logger, std::string_view text, cookie_rule_t *record,
                std::string_view *rest) {
    size_t close = find_closing_slash(text);
    if (close == text.size()) {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): rule has wrong syntax: regular expression should end with '/'", kFn);
        return 1;
    }
    std::string_view after = text.substr(close + 1);
    if (!after.empty() && after[0] != ';') {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): rule has wrong syntax: regular expression should be in the </regexp/> "
                   "format",
                   kFn);
        return 1;
    }
    std::string_view raw = text.substr(0, close);
    for (size_t i = 0; i < raw.size(); ++i) {
        if (kRegexEscapes.find(raw[i]) != std::string_view::npos &&
            (i == 0 || raw[i - 1] != '\\')) {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): rule has wrong syntax: '%c' character should be escaped with '\\' in "
                       "regexp",
                       kFn, raw[i]);
            return 1;
        }
    }
    std::string body = strview::unescape(raw, '\\', kRegexEscapes);
    int error;
    PCRE2_SIZE offset;
    pcre2_code *regex = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(body.data()), body.size(), 0,
                                      &error, &offset, nullptr);
    if (regex == nullptr) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(error, message, sizeof(message));
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Failed to compile regular expression (%s): %s (offset=%zu)", kFn,
                   body.c_str(), reinterpret_cast<const char *>(message), offset);
        return 1;
    }
    record->name_or_regex = regex;
    record->flags |= COOKIE_RULE_REGEX;
    *rest = after.empty() ? after : after.substr(1);
    return 0;
}

// `text` follows "=": "name" and optionally ";modifiers". Leaves the
// modifiers in `*rest`.
int parse_name(logger_s *logger, std::string_view text, cookie_rule_t *record,
               std::string_view *rest) {
    size_t end = strview::find_char(text, ';');
    std::string_view name = text.substr(0, end);
    // "=;maxAge=1" names no cookie; every cookie is written ";maxAge=1".
    if (name.empty()) {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): rule has wrong syntax: after 'cookie' option is expected '=<NAME>', or "
                   "';<modifier>'",
                   kFn);
        return 1;
    }
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || kNameSeparators.find(c) != std::string_view::npos) {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): rule has wrong syntax: cookie name should not contain '%c'", kFn, c);
            return 1;
        }
    }
    char *copy = strndup(name.data(), name.size());
    if (copy == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate cookie name storage", kFn);
        return -1;
    }
    record->name_or_regex = copy;
    *rest = end == text.size() ? std::string_view() : text.substr(end + 1);
    return 0;
}

int parse_max_age(logger_s *logger, std::string_view value, cookie_rule_t *record) {
    if (record->flags & COOKIE_RULE_MAX_AGE) {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): rule has wrong syntax: found second 'maxAge' attribute", kFn);
        return 1;
    }
    for (size_t i = 0; i < value.size(); ++i) {
        if (!(value[i] >= '0' && value[i] <= '9') && !(i == 0 && value[i] == '-')) {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): rule has wrong syntax: maxAge value should not contain '%c'", kFn,
                       value[i]);
            return 1;
        }
    }
    // Only an empty value, a lone "-" or one outside 32 bits gets here.
    if (value.empty() ||
        parse_integer(value, 4 | PARSE_INT_SIGNED, &record->max_age) != value.size()) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): rule has wrong syntax: wrong maxAge value (%.*s)",
                   kFn, static_cast<int>(value.size()), value.data());
        return 1;
    }
    record->flags |= COOKIE_RULE_MAX_AGE;
    return 0;
}

int parse_same_site(logger_s *logger, std::string_view value, cookie_rule_t *record) {
    if (record->same_site != COOKIE_SAME_SITE_UNSET) {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): rule has wrong syntax: found second 'sameSite' attribute", kFn);
        return 1;
    }
    if (strview::equals_nocase(value, "strict")) {
        record->same_site = COOKIE_SAME_SITE_STRICT;
    } else if (strview::equals_nocase(value, "lax")) {
        record->same_site = COOKIE_SAME_SITE_LAX;
    } else {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): rule has wrong syntax: wrong sameSite value (%.*s)", kFn,
                   static_cast<int>(value.size()), value.data());
        return 1;
    }
    return 0;
}

// "maxAge=3600; sameSite=lax": attributes separated by ";".
int parse_attributes(logger_s *logger, std::string_view list, cookie_rule_t *record) {
    while (!list.empty()) {
        std::string_view modifier;
        list.remove_prefix(strview::next_token(list, &modifier, ';'));
        auto [attribute, value] = strview::split_once(modifier, '=', false);
        int status;
        if (strview::equals_nocase(attribute, "maxAge")) {
            status = parse_max_age(logger, value, record);
        } else if (strview::equals_nocase(attribute, "sameSite")) {
            status = parse_same_site(logger, value, record);
        } else {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): rule has wrong syntax: found unknown attribute (%.*s)", kFn,
                       static_cast<int>(attribute.size()), attribute.data());
            status = 1;
        }
        if (status != 0) {
            return status;
        }
    }
    return 0;
}

// Parses "=name;modifiers", "=/regex/;modifiers" or ";modifiers" into
// `record`; the caller frees the record when this fails.
int cookierule_extract_modifiers(logger_s *logger, std::string_view value, cookie_rule_t *record) {
    if ((value[0] != '=' && value[0] != ';') || value == "=") {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): rule has wrong syntax: after 'cookie' option is expected '=<NAME>', or "
                   "';<modifier>'",
                   kFn);
        return 1;
    }
    if (value.back() == ';') {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): rule has wrong syntax: modifiers string should not end with ';'", kFn);
        return 1;
    }
    std::string_view modifiers = value.substr(1);
    int status = 0;
    if (value[0] == '=' && value[1] == '/') {
        status = parse_regex(logger, value.substr(2), record, &modifiers);
    } else if (value[0] == '=') {
        status = parse_name(logger, value.substr(1), record, &modifiers);
    }
    return status != 0 ? status : parse_attributes(logger, modifiers, record);
}

}  // namespace

int extract_cookie(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                   const char *value) {
    static const char kExtractFn[] = "extract_cookie";
    logger_s *logger = engine->logger;
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Called with rule: %.*s -- option cookie%.*s",
               kExtractFn, static_cast<int>(rule->text_len), rule->text, static_cast<int>(length),
               value);
    if (length == 0) {
        logger_log(logger, LOG_LEVEL_TRACE, "%s(): option has no value", kExtractFn);
    }
    auto *record = static_cast<cookie_rule_t *>(calloc(1, sizeof(cookie_rule_t)));
    if (record == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate rule options storage",
                   kExtractFn);
        return -1;
    }
    if (length != 0) {
        int status = cookierule_extract_modifiers(logger, {value, length}, record);
        if (status != 0) {
            cookie_rule_free(record);
            return status;
        }
    }
    rule_options_t *options = rule_options_ensure_logged(rule, logger, kExtractFn);
    if (options == nullptr) {
        cookie_rule_free(record);
        return -1;
    }
    cookie_rule_free(options->cookie);
    options->cookie = record;
    return 0;
}

void cookie_rule_free(cookie_rule_t *record) {
    if (record == nullptr) {
        return;
    }
    if (record->flags & COOKIE_RULE_REGEX) {
        pcre2_code_free(static_cast<pcre2_code *>(record->name_or_regex));
    } else {
        free(record->name_or_regex);
    }
    free(record);
}
