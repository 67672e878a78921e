// The option vocabulary of network rules: one table of plain options (with
// their aliases and negated forms) and one of value options matched by
// prefix, plus what is done with options in neither.
#include <cstdlib>
#include <cstring>

#include "core/commons/strview.h"
#include "core/filtering/urlfilter/network_modifiers.h"
#include "core/filtering/urlfilter/rule_option_handlers.h"
#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/rule_parser.h"

namespace {

const char kOptionFn[] = "parse_rule_option";

enum class OptionKind {
    ExceptionFlag,  // only exceptions; "~name" clears the flag
    Flag,           // "~name" clears the flag
    MatchCase,      // "~match-case" sets it too
    Popup,          // sets POPUP and permitted DOCUMENT; no negated form
    ThirdParty,     // party 1; "~third-party" is party 2
    FirstParty,     // party 2; no negated form
    Document,       // extract_document; "~document" restricts DOCUMENT
    ContentType,    // permitted type; "~type" restricted type
};

struct PlainOption {
    const char *name;
    const char *alias;
    OptionKind kind;
    uint32_t bits;  // rule flag or content type
};

const PlainOption kPlainOptions[] = {
    {"generichide", "ghide", OptionKind::ExceptionFlag, RULE_GENERICHIDE},
    {"specifichide", "shide", OptionKind::ExceptionFlag, RULE_SPECIFICHIDE},
    {"elemhide", "ehide", OptionKind::ExceptionFlag, RULE_ELEMHIDE},
    {"jsinject", nullptr, OptionKind::ExceptionFlag, RULE_JSINJECT},
    {"content", nullptr, OptionKind::ExceptionFlag, RULE_CONTENT},
    {"urlblock", nullptr, OptionKind::ExceptionFlag, RULE_URLBLOCK},
    {"extension", nullptr, OptionKind::ExceptionFlag, RULE_EXTENSION},
    {"genericblock", nullptr, OptionKind::ExceptionFlag, RULE_GENERICBLOCK},
    {"important", nullptr, OptionKind::Flag, RULE_IMPORTANT},
    {"badfilter", nullptr, OptionKind::Flag, RULE_BADFILTER},
    {"match-case", nullptr, OptionKind::MatchCase, RULE_CASE_SENSITIVE},
    {"popup", "popunder", OptionKind::Popup, RULE_POPUP},
    {"third-party", "3p", OptionKind::ThirdParty, 0},
    {"first-party", "1p", OptionKind::FirstParty, 0},
    {"document", "doc", OptionKind::Document, CONTENT_DOCUMENT},
    {"other", nullptr, OptionKind::ContentType, CONTENT_OTHER},
    {"image", nullptr, OptionKind::ContentType, CONTENT_IMAGE},
    {"script", nullptr, OptionKind::ContentType, CONTENT_SCRIPT},
    {"stylesheet", "css", OptionKind::ContentType, CONTENT_STYLESHEET},
    {"object", nullptr, OptionKind::ContentType, CONTENT_OBJECT},
    {"xmlhttprequest", "xhr", OptionKind::ContentType, CONTENT_XMLHTTPREQUEST},
    {"media", nullptr, OptionKind::ContentType, CONTENT_MEDIA},
    {"font", nullptr, OptionKind::ContentType, CONTENT_FONT},
    {"websocket", nullptr, OptionKind::ContentType, CONTENT_WEBSOCKET},
    {"ping", nullptr, OptionKind::ContentType, CONTENT_PING},
    {"subdocument", "frame", OptionKind::ContentType, CONTENT_SUBDOCUMENT},
};

using ValueHandler = int (*)(urlfilter_context_t *, cached_rule_t *, size_t, const char *);

struct ValueOption {
    const char *prefix;
    ValueHandler handler;
    uint32_t flag;      // set when the handler accepts the value
    bool whole_option;  // the handler gets the option with its name
};

// "redirect-rule" is found through "redirect": its handler gets the whole
// option and tells the two apart.
const ValueOption kValueOptions[] = {
    {"domain=", extract_domains, 0, false},
    {"app=", extract_apps, 0, false},
    {"denyallow=", extract_denyallow, 0, false},
    {"replace", extract_replace, RULE_REPLACE, false},
    {"csp", extract_csp, RULE_CSP, false},
    {"removeparam", extract_removeparam, RULE_REMOVEPARAM, false},
    {"queryprune", extract_removeparam, RULE_REMOVEPARAM, false},
    {"removeheader", extract_removeheader, RULE_REMOVEHEADER, false},
    {"cookie", extract_cookie, RULE_COOKIE, false},
    {"stealth", extract_stealth, RULE_STEALTH, false},
    {"hls", extract_hls, RULE_HLS, false},
    {"redirect", extract_redirect, RULE_REDIRECT, true},
};

const PlainOption *find_plain(std::string_view name) {
    for (const PlainOption &option : kPlainOptions) {
        if (strview::equals_nocase(name, option.name) ||
            (option.alias != nullptr && strview::equals_nocase(name, option.alias))) {
            return &option;
        }
    }
    return nullptr;
}

const ValueOption *find_value(std::string_view option) {
    for (const ValueOption &value : kValueOptions) {
        if (strview::starts_with_nocase(option, value.prefix)) {
            return &value;
        }
    }
    return nullptr;
}

int add_types(urlfilter_context_t *engine, cached_rule_t *rule, uint32_t permitted,
              uint32_t restricted) {
    rule_options_t *options = rule_options_ensure(rule);
    if (options == nullptr) {
        logger_log(engine->logger, LOG_LEVEL_ERROR,
                   "%s(): Couldn't allocate storage for rule options", kOptionFn);
        return RULE_PARSE_FAILED;
    }
    options->permitted_types |= permitted;
    options->restricted_types |= restricted;
    return RULE_PARSE_OK;
}

int apply_plain(urlfilter_context_t *engine, cached_rule_t *rule, const PlainOption &option,
                bool negated) {
    switch (option.kind) {
        case OptionKind::ExceptionFlag:
            if (!(rule->flags & RULE_WHITELIST)) {
                logger_log(engine->logger, LOG_LEVEL_WARN,
                           "%s(): rule with '%s' modifier can't be blocking (%.*s)", kOptionFn,
                           option.name, static_cast<int>(rule->text_len), rule->text);
                return RULE_PARSE_REJECTED;
            }
            [[fallthrough]];
        case OptionKind::Flag:
            rule->flags = negated ? rule->flags & ~option.bits : rule->flags | option.bits;
            return RULE_PARSE_OK;
        case OptionKind::MatchCase:
            rule->flags |= RULE_CASE_SENSITIVE;
            return RULE_PARSE_OK;
        case OptionKind::Popup:
            rule->flags |= RULE_POPUP;
            return add_types(engine, rule, CONTENT_DOCUMENT, 0);
        case OptionKind::ThirdParty:
            rule->party = negated ? RULE_PARTY_FIRST : RULE_PARTY_THIRD;
            return RULE_PARSE_OK;
        case OptionKind::FirstParty:
            rule->party = RULE_PARTY_FIRST;
            return RULE_PARSE_OK;
        case OptionKind::Document:
            return negated ? add_types(engine, rule, 0, CONTENT_DOCUMENT)
                           : extract_document(engine, rule, 0, "");
        case OptionKind::ContentType:
            return negated ? add_types(engine, rule, 0, option.bits)
                           : add_types(engine, rule, option.bits, 0);
    }
    return RULE_PARSE_FAILED;
}

bool has_negated_form(OptionKind kind) {
    return kind != OptionKind::Popup && kind != OptionKind::FirstParty;
}

int apply_value(urlfilter_context_t *engine, cached_rule_t *rule, const ValueOption &value,
                std::string_view option) {
    size_t skip = value.whole_option ? 0 : strlen(value.prefix);
    int rc = value.handler(engine, rule, option.size() - skip, option.data() + skip);
    if (rc == RULE_PARSE_OK) {
        rule->flags |= value.flag;
    }
    return rc;
}

// Options in neither table: "_" separators, "all" (rejected silently), and
// the unknown rest.
int apply_other(urlfilter_context_t *engine, cached_rule_t *rule, std::string_view option) {
    if (option.find_first_not_of('_') == std::string_view::npos) {
        return RULE_PARSE_OK;
    }
    if (option[0] == '_') {
        option.remove_prefix(1);
    }
    if (option.size() >= 3 && strview::starts_with_nocase(option, "all")) {
        return RULE_PARSE_SILENT;
    }
    if (option.size() > 10 && strview::starts_with_nocase(option, "~important")) {
        logger_log(engine->logger, LOG_LEVEL_TRACE,
                   "%s(): Got ignored option '%.*s' in rule '%.*s'", kOptionFn,
                   static_cast<int>(option.size()), option.data(), static_cast<int>(rule->text_len),
                   rule->text);
        return RULE_PARSE_OK;
    }
    logger_log(engine->logger, LOG_LEVEL_TRACE,
               "%s(): Got unknown option '%.*s', ignoring rule %.*s", kOptionFn,
               static_cast<int>(option.size()), option.data(), static_cast<int>(rule->text_len),
               rule->text);
    return RULE_PARSE_UNKNOWN;
}

// Whether a '$' followed by an unknown word is more likely part of the URL
// ("||example.org/page$foo") than an option list.
bool pattern_looks_like_url_with_path(const cached_rule_t *rule) {
    std::string_view p(rule->pattern, rule->pattern_len);
    if (p.empty() || (p.size() >= 3 && p.front() == '/' && p.back() == '/') || p.back() == '^' ||
        p.back() == '|' || (p.front() == '|' && p.find('/') == std::string_view::npos)) {
        return false;
    }
    size_t scheme = p.find("://");
    return scheme == std::string_view::npos || scheme == 0 ||
           p.find('/', scheme + 3) != std::string_view::npos;
}

// The end of the option starting at `pos`: the next comma that no backslash
// escapes, or the end of the list.
size_t option_end(std::string_view list, size_t pos) {
    for (; pos < list.size(); ++pos) {
        if (list[pos] == ',' && (pos == 0 || list[pos - 1] != '\\')) {
            return pos;
        }
    }
    return pos;
}

}  // namespace

int parse_rule_option(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                      const char *text) {
    std::string_view option(text, length);
    if (option.empty()) {
        return RULE_PARSE_REJECTED;
    }
    bool negated = option[0] == '~';
    const PlainOption *plain = find_plain(negated ? option.substr(1) : option);
    if (plain != nullptr && (!negated || has_negated_form(plain->kind))) {
        return apply_plain(engine, rule, *plain, negated);
    }
    const ValueOption *value = negated ? nullptr : find_value(option);
    if (value != nullptr) {
        return apply_value(engine, rule, *value, option);
    }
    return apply_other(engine, rule, option);
}

int parse_rule_options(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                       const char *text) {
    if (length == 0) {
        return RULE_PARSE_OK;
    }
    logger_log(engine->logger, LOG_LEVEL_TRACE, "%s(): Called for rule %.*s", "parse_rule_options",
               static_cast<int>(rule->text_len), rule->text);
    std::string_view list(text, length);
    bool accepted_any = false;
    for (size_t pos = 0, end = 0; end < list.size(); pos = end + 1) {
        end = option_end(list, pos);
        std::string_view option = list.substr(pos, end - pos);
        logger_log(engine->logger, LOG_LEVEL_TRACE, "%s(): Got option: %.*s", "parse_rule_options",
                   static_cast<int>(option.size()), option.data());
        int rc = parse_rule_option(engine, rule, option.size(), option.data());
        if (rc == RULE_PARSE_UNKNOWN) {
            bool is_last = end == list.size();
            if (!accepted_any && is_last && pattern_looks_like_url_with_path(rule)) {
                return strview::equals_nocase(option, "network") ? RULE_PARSE_REJECTED
                                                                 : RULE_PARSE_UNKNOWN;
            }
            return RULE_PARSE_REJECTED;
        }
        if (rc != RULE_PARSE_OK) {
            return rc;
        }
        accepted_any = true;
    }
    if (!validate_rule_options(engine, rule)) {
        return RULE_PARSE_REJECTED;
    }
    apply_post_parse_adjustments(rule);
    return RULE_PARSE_OK;
}
