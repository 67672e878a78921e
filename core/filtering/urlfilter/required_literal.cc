#include "core/filtering/urlfilter/required_literal.h"

#include <cstring>

namespace {

bool is_alnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// An alternative at the top level makes no literal certain.
bool has_top_level_alternative(const char *expr, size_t length) {
    int depth = 0;
    bool in_class = false;
    for (size_t i = 0; i < length; ++i) {
        char c = expr[i];
        if (c == '\\') {
            ++i;
        } else if (in_class) {
            in_class = c != ']';
        } else if (c == '[') {
            in_class = true;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (c == '|' && depth == 0) {
            return true;
        }
    }
    return false;
}

// Skips a group or a class starting at `i`; returns the index after it.
size_t skip_block(const char *expr, size_t length, size_t i) {
    char open = expr[i], close = open == '(' ? ')' : ']';
    int depth = 0;
    for (; i < length; ++i) {
        char c = expr[i];
        if (c == '\\') {
            ++i;
        } else if (c == open && open == '(') {
            ++depth;
        } else if (c == close && (open == '[' || --depth == 0)) {
            return i + 1;
        }
    }
    return length;
}

struct Runs {
    std::string current, best;
    void end() {
        if (current.size() > best.size()) {
            best = current;
        }
        current.clear();
    }
};

}  // namespace

std::string regex_required_literal(const char *expr, size_t length) {
    if (has_top_level_alternative(expr, length)) {
        return "";
    }
    Runs runs;
    for (size_t i = 0; i < length;) {
        char c = expr[i];
        if (c == '(' || c == '[') {
            runs.end();
            i = skip_block(expr, length, i);
            continue;
        }
        if (c == '?' || c == '*' || c == '{') {
            // The character before is optional or repeated a chosen number
            // of times (possibly none).
            if (!runs.current.empty()) {
                runs.current.pop_back();
            }
            runs.end();
            ++i;
            continue;
        }
        if (c == '\\' && i + 1 < length && !is_alnum(expr[i + 1])) {
            runs.current += lower(expr[i + 1]);
            i += 2;
            continue;
        }
        if (c == '\\') {
            // A class or a reference ("\d", "\1", "\x{41}"): no literal.
            runs.end();
            i += 2;
            if (i < length && expr[i] == '{') {
                const void *close = memchr(expr + i, '}', length - i);
                i = close ? static_cast<size_t>(static_cast<const char *>(close) - expr) + 1
                          : length;
            }
            continue;
        }
        if (strchr("^$.+)]}|", c) != nullptr) {
            // '+' keeps the character before (it occurs at least once).
            runs.end();
            ++i;
            continue;
        }
        runs.current += lower(c);
        ++i;
    }
    runs.end();
    return runs.best;
}
