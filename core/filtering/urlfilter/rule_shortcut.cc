// The shortcut of a rule (the longest literal of its pattern, which indexing
// keys on and matching searches before any regex runs) and the text a
// badfilter rule cancels.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/rule_parser.h"

namespace {

// Groups, repetitions and classes of a rule expression become "..." so that
// the literal pieces around them survive as candidates.
const char *const kShortcutRegexes[URLFILTER_SHORTCUT_REGEX_COUNT] = {
    "([^\\\\]*)\\([^\\\\]*\\)",
    "([^\\\\]*)\\{[^\\\\]*\\}",
    "([^\\\\]*)\\[[^\\\\]*\\]",
    "([^\\\\]*)\\[a-zA-Z]",
};
const char kBadfilterRegex[] = "\\b(badfilter,|,badfilter|badfilter)\\b";

char *lower_copy(std::string_view piece, urlfilter_context_t *engine, const char *fn) {
    auto *out = static_cast<char *>(malloc(piece.size() + 1));
    if (out == nullptr) {
        logger_log(engine->logger, LOG_LEVEL_ERROR, "%s(): shortcut allocation failure", fn);
        return nullptr;
    }
    for (size_t i = 0; i < piece.size(); ++i) {
        char c = piece[i];
        out[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    out[piece.size()] = '\0';
    return out;
}

void free_shortcut_regexes(urlfilter_context_t *engine) {
    for (pcre2_code *&code : engine->shortcut_regexes) {
        pcre2_code_free(code);
        code = nullptr;
    }
}

bool compile_shortcut_regexes(urlfilter_context_t *engine) {
    if (engine->shortcut_regexes[0] != nullptr) {
        return true;
    }
    for (unsigned i = 0; i < URLFILTER_SHORTCUT_REGEX_COUNT; ++i) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        engine->shortcut_regexes[i] =
            pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kShortcutRegexes[i]), PCRE2_ZERO_TERMINATED,
                          0, &error, &offset, nullptr);
        if (engine->shortcut_regexes[i] == nullptr) {
            PCRE2_UCHAR message[256];
            pcre2_get_error_message(error, message, sizeof(message));
            logger_log(
                engine->logger, LOG_LEVEL_ERROR,
                "%s(): Couldn't compile regex for shortcut extraction \"%s\": %s (offset=%zu)",
                "compile_shortcut_regexes", kShortcutRegexes[i],
                reinterpret_cast<const char *>(message), offset);
            free_shortcut_regexes(engine);
            return false;
        }
    }
    return true;
}

// Replaces every match of one of the expressions above with its group 1 and
// "...", as a global substitution would. Each expression starts with
// "([^\\]*)" and then needs a byte other than a backslash, so a match that
// starts anywhere in a run without backslashes also starts at the run's
// beginning: matching anchored there finds the same leftmost match, without
// retrying from every byte of the run (which made long rules take seconds).
// Returns 0, or the PCRE2 error (such as the match limit).
int substitute(urlfilter_context_t *engine, const pcre2_code *code, const std::string &in,
               std::string *out) {
    pcre2_match_data *data = pcre2_match_data_create_from_pattern(code, nullptr);
    if (data == nullptr) {
        return PCRE2_ERROR_NOMEMORY;
    }
    out->clear();
    size_t pos = 0;
    int rc = 0;
    while (pos < in.size()) {
        rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(in.data()), in.size(), pos,
                         PCRE2_ANCHORED | PCRE2_NO_JIT, data, engine->match_context);
        if (rc >= 0) {
            const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(data);
            out->append(in, ovector[2], ovector[3] - ovector[2]).append("...");
            pos = ovector[1];
            continue;
        }
        if (rc != PCRE2_ERROR_NOMATCH) {
            break;
        }
        size_t backslash = in.find('\\', pos);
        size_t next = backslash == std::string::npos ? in.size() : backslash + 1;
        out->append(in, pos, next - pos);
        pos = next;
        rc = 0;
    }
    pcre2_match_data_free(data);
    return rc;
}

bool is_regex_special(char c) {
    return c != '\0' && strchr("\\^$*+?.()|[]{}", c) != nullptr;
}

// Escapes whose letter is no literal of the URL: skipped with their backslash.
bool is_class_escape(std::string_view text, size_t at) {
    return at + 1 < text.size() && text[at] == '\\' &&
           strchr("nrtdDwWsSbB<>AZ", text[at + 1]) != nullptr && text[at + 1] != '\0';
}

// The longest piece between special bytes, the first of equal length.
std::string_view longest_literal(std::string_view text) {
    std::string_view best;
    size_t start = 0;
    for (size_t i = 0; i <= text.size();) {
        if (i < text.size() && !is_regex_special(text[i])) {
            ++i;
            continue;
        }
        if (i - start > best.size()) {
            best = text.substr(start, i - start);
        }
        i += is_class_escape(text, i) ? 2 : 1;
        start = i;
    }
    return best;
}

}  // namespace

int extract_regex_shortcut(urlfilter_context_t *engine, cached_rule_t *rule, const char *pattern,
                           size_t length) {
    std::string text(pattern, length);
    if (text.find('?') != std::string::npos || !compile_shortcut_regexes(engine)) {
        return 0;
    }
    std::string out;
    for (pcre2_code *code : engine->shortcut_regexes) {
        int rc = substitute(engine, code, text, &out);
        if (rc < 0) {
            PCRE2_UCHAR message[256];
            pcre2_get_error_message(rc, message, sizeof(message));
            logger_log(engine->logger, LOG_LEVEL_ERROR,
                       "%s(): Couldn't remove special characters from rule %s: %s",
                       "extract_regex_shortcut", text.c_str(),
                       reinterpret_cast<const char *>(message));
            return 0;
        }
        text.swap(out);
    }
    std::string_view piece = longest_literal(text);
    if (piece.empty()) {
        return 0;
    }
    rule->shortcut = lower_copy(piece, engine, "extract_regex_shortcut");
    return rule->shortcut == nullptr ? -1 : 0;
}

int extract_shortcut(urlfilter_context_t *engine, cached_rule_t *rule) {
    std::string_view p(rule->pattern, rule->pattern_len);
    if (p.size() >= 2 && p.front() == '/' && p.back() == '/') {
        return extract_regex_shortcut(engine, rule, p.data() + 1, p.size() - 2) < 0 ? -1 : 0;
    }
    std::string_view best;
    size_t start = 0;
    for (size_t i = 0; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == '*' || p[i] == '^' || p[i] == '|') {
            if (i - start >= best.size() && i > start) {
                best = p.substr(start, i - start);  // the last of equal length
            }
            start = i + 1;
        }
    }
    if (best.empty()) {
        return 0;
    }
    rule->shortcut = lower_copy(best, engine, "extract_shortcut");
    return rule->shortcut == nullptr ? -1 : 0;
}

int prepare_badfilter_ruletext(urlfilter_context_t *engine, cached_rule_t *rule) {
    const char kFn[] = "prepare_badfilter_ruletext";
    if (engine->badfilter_regex == nullptr) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        // Options are case-insensitive, so "$BadFilter" cancels like "$badfilter".
        engine->badfilter_regex =
            pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kBadfilterRegex), PCRE2_ZERO_TERMINATED,
                          PCRE2_CASELESS, &error, &offset, nullptr);
        if (engine->badfilter_regex == nullptr) {
            PCRE2_UCHAR message[256];
            pcre2_get_error_message(error, message, sizeof(message));
            logger_log(engine->logger, LOG_LEVEL_WARN,
                       "%s(): Couldn't compile badfilter replace regexp \"%s\": %s (offset=%zu)",
                       kFn, kBadfilterRegex, reinterpret_cast<const char *>(message), offset);
            return -1;
        }
    }
    std::string out(rule->text_len + 1u, '\0');
    PCRE2_SIZE size = out.size();
    int rc = pcre2_substitute(engine->badfilter_regex, reinterpret_cast<PCRE2_SPTR>(rule->text),
                              rule->text_len, 0, PCRE2_NO_JIT, nullptr, engine->match_context,
                              reinterpret_cast<PCRE2_SPTR>(""), 0,
                              reinterpret_cast<PCRE2_UCHAR *>(out.data()), &size);
    if (rc < 0) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(rc, message, sizeof(message));
        logger_log(engine->logger, LOG_LEVEL_ERROR,
                   "%s(): Couldn't remove badfilter from rule %.*s: %s", kFn,
                   static_cast<int>(rule->text_len), rule->text,
                   reinterpret_cast<const char *>(message));
        return -1;
    }
    out.resize(size);
    if (!out.empty() && (out.back() == ',' || out.back() == '$')) {
        out.pop_back();
    }
    rule_options_t *options = rule_options_ensure(rule);
    char *copy = options ? strdup(out.c_str()) : nullptr;
    if (copy == nullptr) {
        logger_log(engine->logger, LOG_LEVEL_WARN,
                   "%s(): Couldn't allocate memory for rule options storage", kFn);
        return -1;
    }
    free(options->badfilter_text);
    options->badfilter_text = copy;
    return 0;
}
