#define PCRE2_CODE_UNIT_WIDTH 8
#include "core/filtering/urlfilter/rule_parser.h"

#include <pcre2.h>

#include <cstdlib>
#include <cstring>

#include "core/filtering/common/pattern_to_regex.h"
#include "core/filtering/urlfilter/redirect_resources.h"
#include "core/filtering/urlfilter/rule_options.h"

static_assert(RULE_PATTERN_COMPILE_OPTIONS == (PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                                               PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UTF));

namespace {

bool starts_with(const char *text, size_t length, const char *prefix) {
    size_t n = strlen(prefix);
    return length >= n && memcmp(text, prefix, n) == 0;
}

bool equals(const char *text, size_t length, const char *word) {
    return strlen(word) == length && memcmp(text, word, length) == 0;
}

// Cosmetic rules are told apart by their marker: the first '#' (or '$') of
// the text must start one. The extended-CSS markers ("#?#", "#?$#") count too:
// "example.org#?#div:has(.ad)" is no URL pattern.
bool is_cosmetic(const char *text, size_t length) {
    static const char *const kHashMarkers[] = {"##",   "#@#", "#$#",  "#@$#", "#%#",
                                               "#@%#", "#?#", "#@?#", "#?$#", "#@?$#"};
    static const char *const kDollarMarkers[] = {"$$", "$@$"};
    const char *hash = static_cast<const char *>(memchr(text, '#', length));
    if (hash != nullptr) {
        for (const char *marker : kHashMarkers) {
            if (starts_with(hash, length - static_cast<size_t>(hash - text), marker)) {
                return true;
            }
        }
    }
    const char *dollar = static_cast<const char *>(memchr(text, '$', length));
    if (dollar != nullptr) {
        for (const char *marker : kDollarMarkers) {
            if (starts_with(dollar, length - static_cast<size_t>(dollar - text), marker)) {
                return true;
            }
        }
    }
    return false;
}

bool is_network_rule_text(const char *text, size_t length) {
    if (length < 4 || starts_with(text, length, "[Adblock") || text[0] == '!' ||
        (text[0] == '#' && text[1] == ' ') || starts_with(text, length, "[$")) {
        return false;
    }
    char c = text[0];
    if (c == '\n' || c == '\r' || c == '\v' || c == '\f') {
        return false;
    }
    return !is_cosmetic(text, length);
}

bool is_alpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Scans the body from its end for the '$' that starts the options. A '$'
// followed by a letter (or ending the body) is taken at once; any other '$'
// is only a candidate, dropped when the body is a "/regex$/" whose '$' it is.
// Returns the separator's offset, or -1.
long find_options_separator(const char *body, size_t length) {
    int state = 0;  // 0 start, 1 candidate seen, 2 '/' seen after a candidate
    long candidate = -1;
    for (size_t i = length; i > 0; --i) {
        size_t at = i - 1;
        char c = body[at];
        if (c == '/' && state == 1) {
            state = 2;
        } else if (c == '$' && (at == 0 || body[at - 1] != '\\')) {
            if (state == 0 && (at + 1 == length || is_alpha(body[at + 1]))) {
                return static_cast<long>(at);
            }
            if (state != 1) {
                candidate = static_cast<long>(at);
                state = 1;
            }
        }
    }
    if (state == 2 && length >= 2 && body[0] == '/' && body[length - 1] == '/') {
        return -1;
    }
    return candidate;
}

// "*", "|", "||", "||*|" and the like: stars, with pipes only as anchors.
bool is_only_wildcards(const char *p, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (p[i] == '*') {
            continue;
        }
        bool anchor = i == 0 || (i == 1 && p[0] == '|') || i + 1 == length;
        if (p[i] != '|' || !anchor) {
            return false;
        }
    }
    return true;
}

bool is_scheme_only(const char *p, size_t length) {
    return equals(p, length, "|ws://") || equals(p, length, "|wss://") ||
           equals(p, length, "|http://") || equals(p, length, "|https://");
}

bool pattern_too_wide(const char *p, size_t length) {
    return length == 0 || is_scheme_only(p, length) || is_only_wildcards(p, length);
}

// A rule limited to some domains, apps or to one modifier's job may have any
// pattern, even one that matches every URL.
bool skips_width_check(const cached_rule_t *rule) {
    const rule_options_t *o = rule->options;
    if (o != nullptr &&
        (!string_set_empty(o->domains.permitted) ||
         !string_set_empty(o->domains.permitted_any_tld) || !string_set_empty(o->apps.permitted))) {
        return true;
    }
    return (rule->flags & (RULE_COOKIE | RULE_REMOVEPARAM | RULE_REMOVEHEADER)) != 0;
}

// Steps after the text is known to be a network rule.
int parse_body(urlfilter_context_t *engine, cached_rule_t *rule) {
    const char *body = rule->text;
    size_t body_length = rule->text_len;
    if (rule->flags & RULE_WHITELIST) {
        body += 2, body_length -= 2;
    }
    rule->pattern = body;
    rule->pattern_len = static_cast<uint32_t>(body_length);
    long separator = find_options_separator(body, body_length);
    if (separator >= 0) {
        rule->pattern_len = static_cast<uint32_t>(separator);
        const char *options = body + separator + 1;
        size_t options_length = body_length - static_cast<size_t>(separator) - 1;
        int rc = parse_rule_options(engine, rule, options_length, options);
        if (rc == RULE_PARSE_UNKNOWN) {
            rule->pattern_len = static_cast<uint32_t>(body_length);
        } else if (rc == RULE_PARSE_SILENT) {
            return rc;
        } else if (rc != RULE_PARSE_OK) {
            logger_log(engine->logger, LOG_LEVEL_TRACE, "%s(): Couldn't parse rule options: %.*s",
                       "parse_rule", static_cast<int>(options_length), options);
            return rc;
        }
    }
    if (!skips_width_check(rule) && pattern_too_wide(rule->pattern, rule->pattern_len)) {
        logger_log(engine->logger, LOG_LEVEL_WARN, "%s(): Rule '%.*s' is too wide, not adding it",
                   "parse_rule", static_cast<int>(rule->text_len), rule->text);
        return RULE_PARSE_REJECTED;
    }
    if (extract_shortcut(engine, rule) != 0) {
        return RULE_PARSE_FAILED;
    }
    logger_log(engine->logger, LOG_LEVEL_TRACE, "%s(): extracted shortcut: %s", "parse_rule",
               rule->shortcut ? rule->shortcut : "(null)");
    if ((rule->flags & RULE_BADFILTER) && prepare_badfilter_ruletext(engine, rule) != 0) {
        return RULE_PARSE_FAILED;
    }
    return RULE_PARSE_OK;
}

}  // namespace

bool rule_text_is_network(const char *text, size_t length) {
    while (length > 0 && (*text == ' ' || *text == '\t')) {
        ++text, --length;
    }
    return is_network_rule_text(text, length);
}

int parse_rule(urlfilter_context_t *engine, const char *text, size_t length, int32_t user_tag,
               cached_rule_t *rule) {
    if (!rule_text_is_network(text, length) || length > UINT32_MAX) {
        return RULE_PARSE_REJECTED;
    }
    while (*text == ' ' || *text == '\t') {
        ++text, --length;
    }
    *rule = {};
    rule->text = text;
    rule->text_len = static_cast<uint32_t>(length);
    rule->user_tag = user_tag;
    if (starts_with(text, length, "@@")) {
        rule->flags |= RULE_WHITELIST;
    }
    int rc;
    try {
        rc = parse_body(engine, rule);
    } catch (...) {
        rule_release(rule);  // what the parse had built before memory ran out
        throw;
    }
    if (rc != RULE_PARSE_OK) {
        rule_release(rule);
    }
    return rc;
}

bool pattern_targets_domain(const cached_rule_t *rule) {
    const char *p = rule->pattern;
    size_t length = rule->pattern_len;
    if (pattern_too_wide(p, length)) {
        return false;
    }
    return p[0] == '|' || (length >= 3 && p[0] == '/' && p[length - 1] == '/');
}

int urlfilter_compile_rule(urlfilter_context_t *engine, cached_rule_t *rule) {
    char *expr = pattern_to_regex(rule->pattern, rule->pattern_len);
    if (expr == nullptr) {
        return -1;
    }
    uint32_t options =
        PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UTF;
    if (!(rule->flags & RULE_CASE_SENSITIVE)) {
        options |= PCRE2_CASELESS;
    }
    int error = 0;
    PCRE2_SIZE offset = 0;
    rule->regex = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expr), PCRE2_ZERO_TERMINATED, options,
                                &error, &offset, nullptr);
    free(expr);
    if (rule->regex == nullptr) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(error, message, sizeof(message));
        logger_log(engine->logger, LOG_LEVEL_WARN,
                   "%s(): Couldn't PCRE-compile rule '%.*s' -- %s (offset=%zu)",
                   "urlfilter_compile_rule", static_cast<int>(rule->text_len), rule->text,
                   reinterpret_cast<const char *>(message), offset);
        return -1;
    }
    return 0;
}

namespace {

bool clone_with(urlfilter_context_t *context, const cached_rule_t *rule, cached_rule_t *clone) {
    char *copy = static_cast<char *>(malloc(rule->text_len + 1u));
    if (copy == nullptr) {
        return false;
    }
    memcpy(copy, rule->text, rule->text_len);
    copy[rule->text_len] = '\0';
    if (parse_rule(context, copy, rule->text_len, rule->user_tag, clone) != RULE_PARSE_OK) {
        free(copy);
        return false;
    }
    clone->owned_text = copy;
    return true;
}

// The logger clones report through, and the resources they resolve names in;
// both live as long as the process.
logger_s *clone_logger() {
    static LogHandle log("rule_clone", LOG_LEVEL_INFO);
    return log.get();
}

const redirect_resources_t *clone_redirects() {
    static redirect_resources_t *base = redirect_resources_new(clone_logger());
    return base;
}

}  // namespace

bool rule_clone(const cached_rule_t *rule, cached_rule_t *clone) {
    urlfilter_context_t context;
    urlfilter_context_init(&context, clone_logger(), false);
    if (rule->flags & RULE_REDIRECT) {
        context.redirects = const_cast<redirect_resources_t *>(clone_redirects());
    }
    bool ok = clone_with(&context, rule, clone);
    context.redirects = nullptr;  // borrowed
    urlfilter_context_release(&context);
    return ok;
}
