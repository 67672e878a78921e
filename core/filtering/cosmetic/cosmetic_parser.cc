#include "core/filtering/cosmetic/cosmetic_parser.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/commons/strview.h"
#include "core/filtering/converter/rule_syntax.h"
#include "core/filtering/cosmetic/cosmetic_content.h"
#include "core/filtering/cosmetic/scriptlet_call.h"

namespace {

const char kFn[] = "cosmetic_parse_rule";

// Rules of no family a parser can take.
constexpr uint8_t kHtmlFamily = 0;

struct marker_t {
    std::string_view text;
    uint8_t flags;  // COSMETIC_EXCEPTION
    uint8_t kind;   // COSMETIC_STYLE, COSMETIC_EXTENDED
    uint8_t family;
};

// A marker that starts with another one comes first ("##^" before "##").
constexpr marker_t kMarkers[] = {
    {"##^", 0, 0, kHtmlFamily},
    {"#@#^", COSMETIC_EXCEPTION, 0, kHtmlFamily},
    {"##", 0, 0, COSMETIC_FAMILY_CSS},
    {"#@#", COSMETIC_EXCEPTION, 0, COSMETIC_FAMILY_CSS},
    {"#?#", 0, COSMETIC_EXTENDED, COSMETIC_FAMILY_CSS},
    {"#@?#", COSMETIC_EXCEPTION, COSMETIC_EXTENDED, COSMETIC_FAMILY_CSS},
    {"#$#", 0, COSMETIC_STYLE, COSMETIC_FAMILY_CSS},
    {"#@$#", COSMETIC_EXCEPTION, COSMETIC_STYLE, COSMETIC_FAMILY_CSS},
    {"#?$#", 0, COSMETIC_STYLE | COSMETIC_EXTENDED, COSMETIC_FAMILY_CSS},
    {"#@?$#", COSMETIC_EXCEPTION, COSMETIC_STYLE | COSMETIC_EXTENDED, COSMETIC_FAMILY_CSS},
    // The converter writes uBlock's "#?#x:style(y)" with these spellings.
    {"#$?#", 0, COSMETIC_STYLE | COSMETIC_EXTENDED, COSMETIC_FAMILY_CSS},
    {"#@$?#", COSMETIC_EXCEPTION, COSMETIC_STYLE | COSMETIC_EXTENDED, COSMETIC_FAMILY_CSS},
    {"#%#", 0, 0, COSMETIC_FAMILY_SCRIPT},
    {"#@%#", COSMETIC_EXCEPTION, 0, COSMETIC_FAMILY_SCRIPT},
    {"$$", 0, 0, kHtmlFamily},
    {"$@$", COSMETIC_EXCEPTION, 0, kHtmlFamily},
};

constexpr std::string_view kScriptletPrefix = "//scriptlet";

// Where the parts of a rule text are.
struct rule_layout_t {
    size_t modifiers_end;  // 0 without a modifier prefix
    size_t marker_pos;
    const marker_t *marker;
};

enum locate_status_t {
    LOCATED,
    NO_MARKER,          // not a cosmetic rule
    PREFIX_NOT_CLOSED,  // "[$" without its ']'
    PREFIX_ALONE,       // a modifier prefix not followed by a cosmetic rule
};

const marker_t *marker_at(std::string_view rest) {
    for (const marker_t &marker : kMarkers) {
        if (strview::starts_with(rest, marker.text)) {
            return &marker;
        }
    }
    return nullptr;
}

locate_status_t locate_marker(std::string_view text, rule_layout_t *layout) {
    *layout = {};
    if (strview::starts_with(text, "[$")) {
        // Paths are written between slashes there: '/' opens nothing.
        ptrdiff_t close = find_top_level(text.data() + 2, text.size() - 2, "]", 1, "/", 1);
        if (close < 0) {
            return PREFIX_NOT_CLOSED;
        }
        layout->modifiers_end = static_cast<size_t>(close) + 3;
    }
    std::string_view rest = text.substr(layout->modifiers_end);
    size_t pos = strview::find_first_of(rest, "#$");
    layout->marker = pos < rest.size() ? marker_at(rest.substr(pos)) : nullptr;
    if (layout->marker == nullptr) {
        return layout->modifiers_end > 0 ? PREFIX_ALONE : NO_MARKER;
    }
    layout->marker_pos = layout->modifiers_end + pos;
    return LOCATED;
}

void reject(logger_s *logger, const char *reason, std::string_view text) {
    logger_log(logger, LOG_LEVEL_WARN, "%s(): %s: %.*s", kFn, reason, static_cast<int>(text.size()),
               text.data());
}

// Reads the modifier prefix (when there is one; `modifiers` is null only
// without one) into `modifiers`, then the
// domain prefix, into `domains` and `*generic`. Returns 0, or -1 after
// logging why.
int parse_restrictions(std::string_view text, const rule_layout_t *layout,
                       cosmetic_modifiers_t *modifiers, rule_domains_t *domains, bool *generic,
                       logger_s *logger) {
    if (layout->modifiers_end > 0) {
        cosmetic_modifier_target_t target{modifiers, domains, generic};
        size_t consumed;
        if (cosmetic_modifiers_parse(text.data(), layout->modifiers_end, &consumed, &target,
                                     logger) != 0) {
            reject(logger, "Invalid modifier prefix", text);
            return -1;
        }
        // The modifier list ends at its first unescaped ']', the prefix at
        // the first one outside brackets: they differ when a value holds
        // brackets that are not escaped.
        if (consumed != layout->modifiers_end) {
            reject(logger, "Unescaped ']' inside the modifier prefix", text);
            return -1;
        }
    }
    std::string_view prefix = strview::trim(
        text.substr(layout->modifiers_end, layout->marker_pos - layout->modifiers_end));
    if (extract_rule_domains(prefix.data(), prefix.size(), domains, generic, logger) != 0) {
        reject(logger, "Invalid domain list", text);
        return -1;
    }
    return 0;
}

// Parses the content of a script rule into `rule`. Returns a status.
int parse_script(cosmetic_parser_t *parser, std::string_view text, std::string_view content,
                 cosmetic_rule_t *rule) {
    if (strview::trim(content).empty()) {
        reject(parser->logger, "Empty script", text);
        return COSMETIC_PARSE_REJECTED;
    }
    if (!strview::starts_with(content, kScriptletPrefix)) {
        rule->script_kind = COSMETIC_SCRIPT_PLAIN;
        return COSMETIC_PARSE_OK;
    }
    rule->script_kind = COSMETIC_SCRIPT_SCRIPTLET;
    std::string_view call = content.substr(kScriptletPrefix.size());
    const char *reason = nullptr;
    int status = scriptlet_call_parse(call.data(), call.size(), &rule->call, &reason);
    if (status == SCRIPTLET_CALL_MALFORMED) {
        logger_log(parser->logger, LOG_LEVEL_WARN, "%s(): Malformed scriptlet call, %s: %.*s", kFn,
                   reason, static_cast<int>(text.size()), text.data());
        return COSMETIC_PARSE_REJECTED;
    }
    if (status != SCRIPTLET_CALL_OK) {
        return COSMETIC_PARSE_NO_MEMORY;
    }
    if (parser->lookup != nullptr) {
        rule->call->base_index =
            parser->lookup(parser->lookup_arg, rule->call->name.text, rule->call->name.length);
    }
    return COSMETIC_PARSE_OK;
}

char *copy_text(std::string_view text) {
    auto *copy = static_cast<char *>(malloc(text.size() + 1));
    if (copy != nullptr) {
        memcpy(copy, text.data(), text.size());
        copy[text.size()] = '\0';
    }
    return copy;
}

// Builds the rule of a located, checked text. Returns a status.
int build_rule(cosmetic_parser_t *parser, std::string_view text, const rule_layout_t *layout,
               std::string_view content, uint8_t kind, cosmetic_rule_t *rule) {
    rule->text = copy_text(text);
    rule->content = copy_text(content);
    if (layout->modifiers_end > 0) {
        rule->modifiers = static_cast<cosmetic_modifiers_t *>(calloc(1, sizeof *rule->modifiers));
    }
    if (rule->text == nullptr || rule->content == nullptr ||
        (layout->modifiers_end > 0 && rule->modifiers == nullptr)) {
        return COSMETIC_PARSE_NO_MEMORY;
    }
    rule->kind = kind;
    rule->marker_pos = static_cast<uint32_t>(layout->marker_pos);
    bool generic = true;
    if (parse_restrictions(text, layout, rule->modifiers, &rule->domains, &generic,
                           parser->logger) != 0) {
        return COSMETIC_PARSE_REJECTED;
    }
    rule->flags = layout->marker->flags | (generic ? COSMETIC_GENERIC : 0);
    if (layout->marker->family != COSMETIC_FAMILY_SCRIPT) {
        return COSMETIC_PARSE_OK;
    }
    int status = parse_script(parser, text, content, rule);
    if (status == COSMETIC_PARSE_OK) {
        rule->order = parser->script_count++;
    }
    return status;
}

// Checks the content after the marker and narrows it: a selector or style
// block loses its surrounding blanks. Returns a status; `*kind` is set on
// COSMETIC_PARSE_OK.
int check_content(cosmetic_parser_t *parser, std::string_view text, const marker_t *marker,
                  std::string_view *content, uint8_t *kind) {
    *kind = marker->kind;
    if (marker->family == COSMETIC_FAMILY_SCRIPT) {
        return COSMETIC_PARSE_OK;
    }
    *content = strview::trim(*content);
    if (css_content_is_foreign(marker->text, *content)) {
        return COSMETIC_PARSE_NOT_COSMETIC;
    }
    const char *reason = css_content_check(*content, kind);
    if (reason != nullptr) {
        reject(parser->logger, reason, text);
        return COSMETIC_PARSE_REJECTED;
    }
    return COSMETIC_PARSE_OK;
}

// Locates the marker; returns COSMETIC_PARSE_OK when the text is a rule of
// the parser's families.
int locate_rule(cosmetic_parser_t *parser, std::string_view text, rule_layout_t *layout) {
    switch (locate_marker(text, layout)) {
        case NO_MARKER:
            return COSMETIC_PARSE_NOT_COSMETIC;
        case PREFIX_NOT_CLOSED:
            reject(parser->logger, "Modifier prefix is not closed", text);
            return COSMETIC_PARSE_REJECTED;
        case PREFIX_ALONE:
            reject(parser->logger, "No cosmetic rule after the modifier prefix", text);
            return COSMETIC_PARSE_REJECTED;
        case LOCATED:
            break;
    }
    if ((layout->marker->family & parser->families) == 0) {
        return COSMETIC_PARSE_NOT_COSMETIC;
    }
    // The text is the rule's key and is handed on NUL-terminated.
    if (memchr(text.data(), '\0', text.size()) != nullptr) {
        reject(parser->logger, "Rule holds a NUL byte", text);
        return COSMETIC_PARSE_REJECTED;
    }
    return COSMETIC_PARSE_OK;
}

}  // namespace

int cosmetic_parse_rule(cosmetic_parser_t *parser, const char *text, size_t length,
                        cosmetic_rule_t **out) {
    *out = nullptr;
    if (is_list_header(text, length) || is_comment_rule(text, length)) {
        return COSMETIC_PARSE_NOT_COSMETIC;
    }
    std::string_view rule_text(text, length);
    rule_layout_t layout;
    int status = locate_rule(parser, rule_text, &layout);
    if (status != COSMETIC_PARSE_OK) {
        return status;
    }
    std::string_view content = rule_text.substr(layout.marker_pos + layout.marker->text.size());
    uint8_t kind;
    status = check_content(parser, rule_text, layout.marker, &content, &kind);
    if (status != COSMETIC_PARSE_OK) {
        return status;
    }
    auto *rule = static_cast<cosmetic_rule_t *>(calloc(1, sizeof(cosmetic_rule_t)));
    status = rule == nullptr ? COSMETIC_PARSE_NO_MEMORY
                             : build_rule(parser, rule_text, &layout, content, kind, rule);
    if (status == COSMETIC_PARSE_NO_MEMORY) {
        logger_log(parser->logger, LOG_LEVEL_ERROR, "%s(): Out of memory for rule: %.*s", kFn,
                   static_cast<int>(length), text);
    }
    if (status != COSMETIC_PARSE_OK) {
        cosmetic_rule_free(rule);
        return status;
    }
    *out = rule;
    return COSMETIC_PARSE_OK;
}

int cosmetic_parse_domains(const cosmetic_rule_t *rule, rule_domains_t *out, bool *generic,
                           logger_s *logger) {
    *out = {};
    *generic = true;
    std::string_view text(rule->text);
    rule_layout_t layout;
    if (locate_marker(text, &layout) != LOCATED) {
        return -1;
    }
    cosmetic_modifiers_t modifiers{};
    int status = parse_restrictions(text, &layout, &modifiers, out, generic, logger);
    cosmetic_modifiers_release(&modifiers);
    return status;
}
