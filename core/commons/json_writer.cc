#include "core/commons/json_writer.h"

#include <charconv>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

const char kHex[] = "0123456789abcdef";

// The two-character escape of `c`, or 0 when it has none.
char short_escape(unsigned char c) {
    switch (c) {
        case '"':
            return '"';
        case '\\':
            return '\\';
        case '\b':
            return 'b';
        case '\f':
            return 'f';
        case '\n':
            return 'n';
        case '\r':
            return 'r';
        case '\t':
            return 't';
        default:
            return 0;
    }
}

bool needs_unicode_escape(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

// One item of ffjson_write(), as read from its arguments.
struct item {
    uint32_t flags;
    uint32_t kind;
    const char *text;
    size_t len;
    int64_t num;
    bool close;
};

// Output target of one pass: the measuring pass has no buffer.
struct sink {
    char *out;
    size_t n;
};

void put(sink &s, const char *data, size_t len) {
    if (s.out != nullptr) {
        memcpy(s.out + s.n, data, len);
    }
    s.n += len;
}

void put_str(sink &s, const char *text) {
    put(s, text, strlen(text));
}

bool in_object(const ffjson_writer *w) {
    return w->depth > 0 && w->stack[w->depth - 1] == FFJSON_WOBJ;
}

void put_newline(sink &s, const ffjson_writer *w, size_t depth) {
    const char *unit = (w->flags & FFJSON_WTABS)      ? "\t"
                       : (w->flags & FFJSON_WSPACES4) ? "    "
                                                      : "  ";
    put(s, "\n", 1);
    for (size_t i = 0; i < depth; i++) {
        put_str(s, unit);
    }
}

bool indenting(const ffjson_writer *w) {
    return (w->flags & (FFJSON_WTABS | FFJSON_WSPACES4 | FFJSON_WSPACES2)) != 0;
}

bool is_close(const item &it) {
    return (it.kind == FFJSON_WOBJ || it.kind == FFJSON_WARR) && it.close;
}

// A string that completes a key: keys are strings written where one is due.
bool writes_key(const ffjson_writer *w, const item &it) {
    return it.kind == FFJSON_WSTR && in_object(w) && (w->state & FFJSON_WS_WANTKEY);
}

int check(const ffjson_writer *w, const item &it) {
    if (it.kind > FFJSON_WRAW || (it.text == nullptr && it.len != 0)) {
        return 2;
    }
    if (w->state & FFJSON_WS_STROPEN) {
        return it.kind == FFJSON_WSTR ? 0 : 2;
    }
    if (is_close(it)) {
        bool innermost = w->depth > 0 && w->stack[w->depth - 1] == it.kind;
        return innermost && !(w->state & FFJSON_WS_KEYDONE) ? 0 : 2;
    }
    if (in_object(w) && (w->state & FFJSON_WS_WANTKEY) && it.kind != FFJSON_WSTR) {
        return 2;
    }
    bool opens = it.kind == FFJSON_WOBJ || it.kind == FFJSON_WARR;
    return opens && w->depth == FFJSON_WRITER_DEPTH ? 2 : 0;
}

void emit_string(sink &s, const ffjson_writer *w, const item &it) {
    if (!(w->state & FFJSON_WS_STROPEN)) {
        put(s, "\"", 1);
    }
    if (it.flags & FFJSON_WNOESC) {
        put(s, it.text, it.len);
    } else {
        s.n += json_escape(s.out ? s.out + s.n : nullptr, it.text, it.len);
    }
    if (it.flags & FFJSON_WMORE) {
        return;
    }
    put(s, "\"", 1);
    if (writes_key(w, it)) {
        put_str(s, indenting(w) ? ": " : ":");
    }
}

void emit_value(sink &s, const ffjson_writer *w, const item &it) {
    switch (it.kind) {
        case FFJSON_WNULL:
            put_str(s, "null");
            break;
        case FFJSON_WSTR:
            emit_string(s, w, it);
            break;
        case FFJSON_WINT: {
            char digits[24];
            auto res = std::to_chars(digits, digits + sizeof(digits), it.num);
            put(s, digits, static_cast<size_t>(res.ptr - digits));
            break;
        }
        case FFJSON_WBOOL:
            put_str(s, it.num ? "true" : "false");
            break;
        case FFJSON_WOBJ:
            put(s, "{", 1);
            break;
        case FFJSON_WARR:
            put(s, "[", 1);
            break;
        default:
            put(s, it.text, it.len);
            break;
    }
}

// Writes (or measures) the whole item with its separators; the state is
// updated afterwards.
void emit(sink &s, const ffjson_writer *w, const item &it) {
    if (is_close(it)) {
        if (indenting(w)) {
            put_newline(s, w, w->depth - 1);
        }
        put(s, it.kind == FFJSON_WOBJ ? "}" : "]", 1);
        return;
    }
    if (!(w->state & FFJSON_WS_STROPEN)) {
        if (w->state & FFJSON_WS_COMMA) {
            put(s, ",", 1);
        }
        if (indenting(w) && (w->state & FFJSON_WS_ANY) && !(w->state & FFJSON_WS_KEYDONE)) {
            put_newline(s, w, w->depth);
        }
    }
    emit_value(s, w, it);
}

void after_value(ffjson_writer *w) {
    w->state &= ~(FFJSON_WS_KEYDONE | FFJSON_WS_STROPEN | FFJSON_WS_WANTKEY);
    w->state |= FFJSON_WS_COMMA | FFJSON_WS_ANY;
    if (in_object(w)) {
        w->state |= FFJSON_WS_WANTKEY;
    }
}

void update_state(ffjson_writer *w, const item &it) {
    if (is_close(it)) {
        w->depth--;
        after_value(w);
    } else if (it.kind == FFJSON_WOBJ || it.kind == FFJSON_WARR) {
        w->stack[w->depth++] = static_cast<uint8_t>(it.kind);
        w->state &= ~(FFJSON_WS_COMMA | FFJSON_WS_KEYDONE | FFJSON_WS_WANTKEY);
        w->state |= FFJSON_WS_ANY | (it.kind == FFJSON_WOBJ ? FFJSON_WS_WANTKEY : 0);
    } else if (it.kind == FFJSON_WSTR && (it.flags & FFJSON_WMORE)) {
        // WANTKEY stays as it was: it tells whether the open string is a key.
        w->state &= ~FFJSON_WS_COMMA;
        w->state |= FFJSON_WS_STROPEN | FFJSON_WS_ANY;
    } else if (writes_key(w, it)) {
        w->state &= ~(FFJSON_WS_COMMA | FFJSON_WS_WANTKEY | FFJSON_WS_STROPEN);
        w->state |= FFJSON_WS_KEYDONE | FFJSON_WS_ANY;
    } else {
        after_value(w);
    }
}

// Makes room for `n` more bytes and the NUL, growing the capacity along 2n+1.
int reserve(ffjson_writer *w, size_t n) {
    if (n > SIZE_MAX - w->len - 1) {
        return 1;
    }
    size_t need = w->len + n + 1;
    if (need <= w->cap) {
        return 0;
    }
    size_t cap = w->cap;
    while (cap < need) {
        if (cap > (SIZE_MAX - 1) / 2) {
            return 1;
        }
        cap = cap * 2 + 1;
    }
    char *data = static_cast<char *>(realloc(w->data, cap));
    if (data == nullptr) {
        return 1;
    }
    w->data = data;
    w->cap = cap;
    return 0;
}

item read_item(uint32_t flags, va_list args) {
    item it{flags, flags & FFJSON_WKIND, "", 0, 0, false};
    switch (it.kind) {
        case FFJSON_WSTR:
        case FFJSON_WRAW:
            if (it.kind == FFJSON_WSTR && (flags & FFJSON_WSZ)) {
                it.text = va_arg(args, const char *);
                it.len = it.text ? strlen(it.text) : 0;
            } else {
                it.len = va_arg(args, size_t);
                it.text = va_arg(args, const char *);
            }
            break;
        case FFJSON_WINT:
            it.num = (flags & FFJSON_WINT32) ? va_arg(args, int) : va_arg(args, int64_t);
            break;
        case FFJSON_WBOOL:
            it.num = va_arg(args, int) != 0;
            break;
        case FFJSON_WOBJ:
        case FFJSON_WARR:
            it.close = va_arg(args, const void *) != nullptr;
            break;
        default:
            break;
    }
    if (it.text == nullptr && it.len == 0) {
        it.text = "";
    }
    return it;
}

}  // namespace

size_t json_escape(char *out, const char *text, size_t len) {
    size_t n = 0;
    for (size_t i = 0; i < len; i++) {
        auto c = static_cast<unsigned char>(text[i]);
        char esc = short_escape(c);
        char buf[6] = {'\\', esc, 0, 0, 0, 0};
        size_t width = 2;
        if (esc == 0 && needs_unicode_escape(c)) {
            memcpy(buf, "\\u00", 4);
            buf[4] = kHex[c >> 4];
            buf[5] = kHex[c & 15];
            width = 6;
        } else if (esc == 0) {
            buf[0] = static_cast<char>(c);
            width = 1;
        }
        if (out != nullptr) {
            memcpy(out + n, buf, width);
        }
        n += width;
    }
    return n;
}

std::string json_quote(const char *text, size_t len) {
    if (text == nullptr) {
        return "null";
    }
    std::string out;
    out.reserve(len + len / 2 + 2);
    out.push_back('"');
    for (size_t i = 0; i < len; i++) {
        auto c = static_cast<unsigned char>(text[i]);
        char esc = c == '/' ? '/' : short_escape(c);
        if (esc != 0) {
            out.push_back('\\');
            out.push_back(esc);
        } else if (needs_unicode_escape(c)) {
            out.append("\\u00");
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    out.push_back('"');
    return out;
}

std::string json_object_build(const json_pair *pairs, size_t count) {
    std::string out = "{";
    for (size_t i = 0; i < count; i++) {
        const json_pair &pair = pairs[i];
        if (i > 0) {
            out.push_back(',');
        }
        out += json_quote(pair.key.data() ? pair.key.data() : "", pair.key.size());
        out.push_back(':');
        if (pair.value_is_text) {
            out += json_quote(pair.value.data(), pair.value.size());
        } else {
            out.append(pair.value);
        }
    }
    out.push_back('}');
    return out;
}

void ffjson_writer_init(ffjson_writer *w, uint32_t flags) {
    *w = ffjson_writer{};
    w->flags = flags & ~FFJSON_WKIND;
}

void ffjson_writer_destroy(ffjson_writer *w) {
    free(w->data);
    ffjson_writer_init(w, w->flags);
}

char *ffjson_writer_take(ffjson_writer *w, size_t *len) {
    char *data = w->data != nullptr ? w->data : static_cast<char *>(calloc(1, 1));
    *len = w->len;
    ffjson_writer_init(w, w->flags);
    return data;
}

int ffjson_write(ffjson_writer *w, uint32_t flags, ...) {
    va_list args;
    va_start(args, flags);
    item it = read_item(flags | w->flags, args);
    va_end(args);
    int r = check(w, it);
    if (r != 0) {
        return r;
    }
    sink measure{nullptr, 0};
    emit(measure, w, it);
    r = reserve(w, measure.n);
    if (r != 0) {
        return r;
    }
    sink out{w->data + w->len, 0};
    emit(out, w, it);
    w->len += out.n;
    w->data[w->len] = '\0';
    update_state(w, it);
    return 0;
}
