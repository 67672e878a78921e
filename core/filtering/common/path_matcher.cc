#define PCRE2_CODE_UNIT_WIDTH 8
#include "core/filtering/common/path_matcher.h"

#include <pcre2.h>

#include <cstdlib>
#include <cstring>

#include "core/filtering/common/pattern_to_regex.h"
#include "core/filtering/common/regex_limits.h"

namespace {

path_matcher_t *new_matcher(path_matcher_kind_t kind) {
    auto *m = static_cast<path_matcher_t *>(calloc(1, sizeof(path_matcher_t)));
    if (m != nullptr) {
        m->kind = kind;
    }
    return m;
}

path_matcher_t *parse_regex_match(logger_s *logger, const char *expr, size_t length) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code *code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expr), length, 0, &error, &offset, nullptr);
    if (code == nullptr) {
        PCRE2_UCHAR text[256];
        pcre2_get_error_message(error, text, sizeof(text));
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Failed to compile path regular expression: %s (offset=%zu) (expr='%.*s')",
                   "parse_regex_match", reinterpret_cast<const char *>(text), offset,
                   static_cast<int>(length), expr);
        return nullptr;
    }
    path_matcher_t *m = new_matcher(PATH_MATCHER_REGEX);
    if (m == nullptr) {
        pcre2_code_free(code);
        return nullptr;
    }
    m->regex = code;
    return m;
}

path_matcher_t *parse_text_with_spec_chars_match(logger_s *logger, const char *pattern,
                                                 size_t length) {
    char *expr = pattern_to_regex(pattern, length);
    if (expr == nullptr) {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Failed to convert modifier to regular expression: %.*s",
                   "parse_text_with_spec_chars_match", static_cast<int>(length), pattern);
        return nullptr;
    }
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Generated regular expression: %s",
               "parse_text_with_spec_chars_match", expr);
    path_matcher_t *m = parse_regex_match(logger, expr, strlen(expr));
    free(expr);
    return m;
}

bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Splits m->text at '*' into trimmed, non-empty parts.
bool split_parts(path_matcher_t *m) {
    m->parts = static_cast<path_part_t *>(calloc(m->text_length / 2 + 1, sizeof(path_part_t)));
    if (m->parts == nullptr) {
        return false;
    }
    const char *text = m->text;
    for (size_t pos = 0; pos <= m->text_length;) {
        const void *star = memchr(text + pos, '*', m->text_length - pos);
        size_t end =
            star ? static_cast<size_t>(static_cast<const char *>(star) - text) : m->text_length;
        size_t first = pos, last = end;
        while (first < last && is_space(text[first])) {
            ++first;
        }
        while (last > first && is_space(text[last - 1])) {
            --last;
        }
        if (last > first) {
            m->parts[m->part_count++] = {text + first, last - first};
        }
        pos = end + 1;
    }
    return true;
}

path_matcher_t *parse_text_match(logger_s *logger, const char *pattern, size_t length) {
    if (length == 0) {
        path_matcher_t *m = new_matcher(PATH_MATCHER_EXACT);
        if (m != nullptr && (m->text = strdup("/")) == nullptr) {
            free(m);
            return nullptr;
        }
        if (m != nullptr) {
            m->text_length = 1;
        }
        return m;
    }
    if (length >= 2 && pattern[0] == '|' && pattern[1] == '|') {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Modifier cannot start with `||`: %.*s",
                   "parse_text_match", static_cast<int>(length), pattern);
        return nullptr;
    }
    path_matcher_t *m = new_matcher(PATH_MATCHER_TEXT);
    if (m == nullptr) {
        return nullptr;
    }
    if (pattern[0] == '|') {
        m->anchor_start = true;
        ++pattern, --length;
    }
    if (length > 0 && pattern[length - 1] == '|') {
        m->anchor_end = true;
        --length;
    }
    // Rule text may hold NUL bytes: copy by length, not as a C string.
    m->text = static_cast<char *>(malloc(length + 1));
    if (m->text != nullptr) {
        memcpy(m->text, pattern, length);
        m->text[length] = '\0';
    }
    m->text_length = length;
    if (m->text == nullptr || !split_parts(m)) {
        path_matcher_free(m);
        return nullptr;
    }
    return m;
}

bool match_text(const path_matcher_t *m, size_t length, const char *path) {
    if (m->part_count == 0) {
        return true;
    }
    const path_part_t &first = m->parts[0];
    const path_part_t &last = m->parts[m->part_count - 1];
    if (m->anchor_start && (length < first.length || memcmp(path, first.text, first.length) != 0)) {
        return false;
    }
    if (m->anchor_end && (length < last.length ||
                          memcmp(path + length - last.length, last.text, last.length) != 0)) {
        return false;
    }
    size_t pos = 0;
    for (size_t i = 0; i < m->part_count; ++i) {
        const path_part_t &part = m->parts[i];
        const void *hit = memmem(path + pos, length - pos, part.text, part.length);
        if (hit == nullptr) {
            return false;
        }
        pos = static_cast<size_t>(static_cast<const char *>(hit) - path) + part.length;
    }
    return true;
}

}  // namespace

path_matcher_t *path_matcher_parse(logger_s *logger, size_t length, const char *pattern) {
    if (length > 1 && pattern[0] == '/' && pattern[length - 1] == '/') {
        return parse_regex_match(logger, pattern + 1, length - 2);
    }
    if (memchr(pattern, '^', length) != nullptr) {
        return parse_text_with_spec_chars_match(logger, pattern, length);
    }
    return parse_text_match(logger, pattern, length);
}

bool path_matcher_match(const path_matcher_t *m, size_t length, const char *path) {
    if (m == nullptr || length == 0) {
        return false;
    }
    switch (m->kind) {
        case PATH_MATCHER_EXACT:
            return length == m->text_length && memcmp(path, m->text, length) == 0;
        case PATH_MATCHER_REGEX:
            return regex_limited_match(m->regex, path, length);
        case PATH_MATCHER_TEXT:
            return match_text(m, length, path);
    }
    return false;
}

void path_matcher_free(path_matcher_t *m) {
    if (m == nullptr) {
        return;
    }
    pcre2_code_free(m->regex);
    free(m->parts);
    free(m->text);
    free(m);
}
