#include "core/filtering/cosmetic/scriptlet_call.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "core/commons/strview.h"

namespace {

size_t skip_blanks(std::string_view s, size_t pos) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) {
        ++pos;
    }
    return pos;
}

// Reads the quoted argument at `*pos` into `*quoted` (without its quotes,
// escapes still in) and `*quote`, and moves `*pos` past it.
bool read_argument(std::string_view s, size_t *pos, std::string_view *quoted, char *quote,
                   const char **reason) {
    if (*pos >= s.size() || (s[*pos] != '\'' && s[*pos] != '"')) {
        *reason = "arguments must be quoted";
        return false;
    }
    *quote = s[*pos];
    for (size_t i = *pos + 1; i < s.size(); ++i) {
        if (s[i] == '\\') {
            ++i;
        } else if (s[i] == *quote) {
            *quoted = s.substr(*pos + 1, i - *pos - 1);
            *pos = i + 1;
            return true;
        }
    }
    *reason = "an argument is not closed";
    return false;
}

// Walks the argument list, calling `visit(quoted, quote)` for each argument
// (the name first). Returns false with `*reason` set when the list is
// malformed.
template <typename Visit>
bool walk_arguments(std::string_view s, Visit visit, const char **reason) {
    size_t pos = skip_blanks(s, 0);
    if (pos >= s.size() || s[pos] != '(') {
        *reason = "missing '('";
        return false;
    }
    pos = skip_blanks(s, pos + 1);
    if (pos < s.size() && s[pos] == ')') {
        *reason = "no scriptlet name";
        return false;
    }
    for (;;) {
        std::string_view quoted;
        char quote;
        if (!read_argument(s, &pos, &quoted, &quote, reason)) {
            return false;
        }
        visit(quoted, quote);
        pos = skip_blanks(s, pos);
        if (pos < s.size() && s[pos] == ')') {
            break;
        }
        if (pos >= s.size() || s[pos] != ',') {
            *reason = "expected ',' or ')' after an argument";
            return false;
        }
        pos = skip_blanks(s, pos + 1);
    }
    if (skip_blanks(s, pos + 1) != s.size()) {
        *reason = "text after ')'";
        return false;
    }
    return true;
}

std::string unescape_argument(std::string_view quoted, char quote) {
    const char set[] = {quote, '\\'};
    return strview::unescape(quoted, '\\', std::string_view(set, sizeof set));
}

// Fills the call's storage and argument array from a validated list.
void fill_call(std::string_view s, scriptlet_call_t *call) {
    size_t used = 0;
    uint32_t index = 0;
    const char *unused;
    walk_arguments(
        s,
        [&](std::string_view quoted, char quote) {
            std::string value = unescape_argument(quoted, quote);
            char *copy = call->storage + used;
            memcpy(copy, value.data(), value.size());
            copy[value.size()] = '\0';
            used += value.size() + 1;
            cosmetic_text_t text{value.size(), copy};
            if (index++ == 0) {
                call->name = text;
            } else {
                call->args[index - 2] = text;
            }
        },
        &unused);
}

int parse_call(std::string_view s, scriptlet_call_t *call, const char **reason) {
    uint32_t count = 0;
    bool empty_name = false;
    bool valid = walk_arguments(
        s,
        [&](std::string_view quoted, char) {
            if (count++ == 0) {
                empty_name = quoted.empty();
            }
        },
        reason);
    if (!valid) {
        return SCRIPTLET_CALL_MALFORMED;
    }
    if (empty_name) {
        *reason = "no scriptlet name";
        return SCRIPTLET_CALL_MALFORMED;
    }
    // Unescaping only shortens an argument, so the list's own length plus
    // one terminator per argument is room enough.
    call->storage = static_cast<char *>(malloc(s.size() + count));
    call->arg_count = count - 1;
    if (call->arg_count > 0) {
        call->args = static_cast<cosmetic_text_t *>(calloc(call->arg_count, sizeof *call->args));
    }
    if (call->storage == nullptr || (call->arg_count > 0 && call->args == nullptr)) {
        return SCRIPTLET_CALL_NO_MEMORY;
    }
    fill_call(s, call);
    return SCRIPTLET_CALL_OK;
}

}  // namespace

int scriptlet_call_parse(const char *text, size_t length, scriptlet_call_t **out,
                         const char **reason) {
    *out = nullptr;
    auto *call = static_cast<scriptlet_call_t *>(calloc(1, sizeof(scriptlet_call_t)));
    if (call == nullptr) {
        return SCRIPTLET_CALL_NO_MEMORY;
    }
    call->base_index = -1;
    int status;
    try {
        status = parse_call({text, length}, call, reason);
    } catch (const std::bad_alloc &) {
        status = SCRIPTLET_CALL_NO_MEMORY;
    }
    if (status != SCRIPTLET_CALL_OK) {
        scriptlet_call_free(call);
        return status;
    }
    *out = call;
    return SCRIPTLET_CALL_OK;
}
