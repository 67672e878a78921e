#include "core/filtering/common/pattern_to_regex.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr char kSchemeAnchor[] = "^(http|https|ws|wss)://([a-z0-9-_.]+\\.)?";
constexpr char kSeparatorBeforeQuery[] = "(" RULE_SEPARATOR_CLASS "\\?|\\?)";

struct Out {
    char *data;
    size_t length;
    size_t capacity;

    bool append(const char *text, size_t n) {
        if (length + n + 1 > capacity) {
            size_t grown = capacity * 2 > length + n + 1 ? capacity * 2 : length + n + 1;
            auto *bigger = static_cast<char *>(realloc(data, grown));
            if (bigger == nullptr) {
                return false;
            }
            data = bigger;
            capacity = grown;
        }
        memcpy(data + length, text, n);
        length += n;
        data[length] = '\0';
        return true;
    }
    bool append(const char *text) { return append(text, strlen(text)); }
};

char *duplicate(const char *text, size_t n) {
    auto *copy = static_cast<char *>(malloc(n + 1));
    if (copy != nullptr) {
        memcpy(copy, text, n);
        copy[n] = '\0';
    }
    return copy;
}

// Appends the translation of pattern[i] (and of the '?' after a '^'); returns
// the number of bytes consumed, or 0 when memory ran out.
size_t translate_one(Out *out, const char *p, size_t length, size_t i) {
    char c = p[i];
    switch (c) {
        case '*':
            return out->append(".*") ? 1 : 0;
        case '^':
            if (i + 1 < length && p[i + 1] == '?') {
                return out->append(kSeparatorBeforeQuery) ? 2 : 0;
            }
            return out->append(RULE_SEPARATOR_CLASS) ? 1 : 0;
        case '|':
            if (i == 0 && length > 1 && p[1] == '|') {
                return out->append(kSchemeAnchor) ? 2 : 0;
            }
            if (i == 0) {
                return out->append("^") ? 1 : 0;
            }
            return out->append(i + 1 == length ? "$" : "\\|") ? 1 : 0;
        default:
            break;
    }
    if (strchr("#$()+.?[\\]{}", c) != nullptr && c != '\0') {
        char escaped[2] = {'\\', c};
        return out->append(escaped, 2) ? 1 : 0;
    }
    return out->append(&c, 1) ? 1 : 0;
}

}  // namespace

char *pattern_to_regex(const char *p, size_t length) {
    if (length == 0 || (length == 1 && (p[0] == '|' || p[0] == '*')) ||
        (length == 2 && p[0] == '|' && p[1] == '|')) {
        return duplicate(".*", 2);
    }
    if (length >= 2 && p[0] == '/' && p[length - 1] == '/') {
        return duplicate(p + 1, length - 2);
    }
    Out out{static_cast<char *>(malloc(3 * length + 1)), 0, 3 * length + 1};
    if (out.data == nullptr) {
        return nullptr;
    }
    out.data[0] = '\0';
    for (size_t i = 0; i < length;) {
        size_t used = translate_one(&out, p, length, i);
        if (used == 0) {
            free(out.data);
            return nullptr;
        }
        i += used;
    }
    return out.data;
}
