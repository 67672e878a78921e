#include "core/commons/ffjson.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>

#include "core/commons/logger.h"
#include "core/commons/utf8.h"

namespace {

// What the next token may be.
enum class expect { value, value_or_close, key, key_or_close, colon, comma_or_close, end };

struct parser {
    parser(ffjson_state *state, const char *input, size_t length)
        : sc(state), text(input), len(length) {}

    ffjson_state *sc;
    const char *text;
    size_t len;
    size_t pos = 0;
    size_t line = 1;
    size_t tok = 0;  // first byte of the token being read
    size_t end = 0;  // end of the token being read, for the error report
    std::string key;
    std::string str;
    // Open brackets of the input. Skipped containers may nest deeper than the
    // context stack, so this grows with the input instead.
    std::string brackets;
    // Bracket depth of the outermost skipped container; 0 while nothing is skipped.
    size_t skip_from = 0;
    const ffjson_field *field = nullptr;  // entry the value after a key goes to; null skips it
    expect next = expect::value;
};

int fail(parser &p, size_t at, int code) {
    p.end = std::min(at + 1, p.len);
    return code;
}

bool skipping(const parser &p) {
    return p.skip_from != 0 && p.brackets.size() >= p.skip_from;
}

bool in_object(const parser &p) {
    return !p.brackets.empty() && p.brackets.back() == '{';
}

// Comments are not tokens: the error report names one only when it is bad.
int skip_comment(parser &p) {
    if (p.pos + 1 >= p.len) {
        p.tok = p.pos;
        return fail(p, p.pos, FFJSON_ECOMMENT);
    }
    std::string_view rest(p.text + p.pos + 2, p.len - p.pos - 2);
    if (p.text[p.pos + 1] == '/') {
        // The line feed is left to the whitespace loop, which counts it.
        size_t eol = rest.find('\n');
        p.pos = eol == std::string_view::npos ? p.len : p.pos + 2 + eol;
        return 0;
    }
    if (p.text[p.pos + 1] != '*') {
        p.tok = p.pos;
        return fail(p, p.pos + 1, FFJSON_ECOMMENT);
    }
    size_t close = rest.find("*/");
    if (close == std::string_view::npos) {
        p.tok = p.pos;
        p.end = p.len;
        return FFJSON_ECOMMENT;
    }
    p.line += std::count(rest.begin(), rest.begin() + close, '\n');
    p.pos += 2 + close + 2;
    return 0;
}

int skip_space(parser &p) {
    while (p.pos < p.len) {
        char c = p.text[p.pos];
        if (c == '/') {
            int r = skip_comment(p);
            if (r != 0) {
                return r;
            }
            continue;
        }
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f') {
            break;
        }
        p.line += c == '\n';
        p.pos++;
    }
    return 0;
}

// Reads the string whose opening quote is at p.pos into `out`, decoding escapes.
int read_string(parser &p, std::string &out) {
    out.clear();
    size_t i = p.pos + 1;
    while (i < p.len) {
        char c = p.text[i];
        if (c == '"') {
            p.pos = p.end = i + 1;
            return 0;
        }
        if (c == '\n') {
            return fail(p, i, FFJSON_EBADCHAR);
        }
        if (c == '\\') {
            char decoded[JSON_UNESCAPE_MAX];
            size_t n = 0;
            size_t used = json_unescape_one(p.text + i + 1, p.len - i - 1, decoded, &n);
            if (used == 0) {
                return fail(p, std::min(i + 1, p.len - 1), FFJSON_EESCAPE);
            }
            out.append(decoded, n);
            i += 1 + used;
            continue;
        }
        size_t run = i;
        while (run < p.len && p.text[run] != '"' && p.text[run] != '\\' && p.text[run] != '\n') {
            run++;
        }
        out.append(p.text + i, run - i);
        i = run;
    }
    p.end = p.len;
    return FFJSON_EEXPECTBRACE;
}

bool is_number_char(char c) {
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}

int read_number(parser &p) {
    ffjson_state *sc = p.sc;
    size_t i = p.pos;
    while (i < p.len && is_number_char(p.text[i])) {
        i++;
    }
    if (i == p.pos) {
        return fail(p, p.pos, FFJSON_ENOVALUE);
    }
    const char *first = p.text + p.pos;
    const char *last = p.text + i;
    p.pos = p.end = i;
    auto as_int = std::from_chars(first, last, sc->num);
    if (as_int.ec == std::errc() && as_int.ptr == last) {
        sc->type = FFJSON_TOK_INT;
        return 0;
    }
    auto as_float = std::from_chars(first, last, sc->fnum);
    if (as_float.ptr != last) {
        return FFJSON_EBADVALUE;
    }
    if (as_float.ec == std::errc::result_out_of_range) {
        return FFJSON_ELARGE;
    }
    sc->type = FFJSON_TOK_FLOAT;
    return 0;
}

int read_word(parser &p, std::string_view word, int type, int64_t value) {
    if (p.len - p.pos < word.size() || word.compare(0, word.size(), p.text + p.pos, word.size())) {
        size_t i = p.pos;
        while (i + 1 < p.len && p.text[i + 1] >= 'a' && p.text[i + 1] <= 'z') {
            i++;
        }
        return fail(p, i, FFJSON_EBADVALUE);
    }
    p.pos = p.end = p.pos + word.size();
    p.sc->type = type;
    p.sc->num = value;
    return 0;
}

int read_token(parser &p) {
    ffjson_state *sc = p.sc;
    switch (p.text[p.pos]) {
        case '"': {
            int r = read_string(p, p.str);
            sc->type = FFJSON_TOK_STR;
            sc->str = p.str.c_str();
            sc->str_len = p.str.size();
            return r;
        }
        case '{':
        case '[':
            sc->type = p.text[p.pos] == '{' ? FFJSON_TOK_OBJ : FFJSON_TOK_ARR;
            p.pos = p.end = p.pos + 1;
            return 0;
        case 't':
            return read_word(p, "true", FFJSON_TOK_BOOL, 1);
        case 'f':
            return read_word(p, "false", FFJSON_TOK_BOOL, 0);
        case 'n':
            return read_word(p, "null", FFJSON_TOK_NULL, 0);
        default:
            return read_number(p);
    }
}

// Reads one value token into the state; containers only consume their bracket.
int read_value(parser &p) {
    ffjson_state *sc = p.sc;
    sc->str = "";
    sc->str_len = 0;
    sc->num = 0;
    sc->fnum = 0;
    size_t start = p.pos;
    int r = read_token(p);
    // A string's raw bytes leave out its quotes.
    size_t quote = r == 0 && sc->type == FFJSON_TOK_STR ? 1 : 0;
    sc->raw = p.text + start + quote;
    sc->raw_len = r == 0 ? p.pos - start - 2 * quote : 0;
    return r;
}

bool accepts(int field_type, int token, bool allow_null) {
    bool scalar_null = token == FFJSON_TOK_NULL && allow_null;
    switch (field_type) {
        case FFJSON_TSTR:
            return token == FFJSON_TOK_STR || scalar_null;
        case FFJSON_TINT:
            return token == FFJSON_TOK_INT || scalar_null;
        case FFJSON_TBOOL:
            return token == FFJSON_TOK_BOOL || scalar_null;
        case FFJSON_TOBJ:
            return token == FFJSON_TOK_OBJ;
        case FFJSON_TARR:
            return token == FFJSON_TOK_ARR;
        case FFJSON_TANY:
            return token != FFJSON_TOK_OBJ && token != FFJSON_TOK_ARR;
        default:
            return false;
    }
}

const ffjson_ctx &current(const parser &p) {
    return p.sc->ctxs[p.sc->ictx - 1];
}

// The "*" entry of the current table, if it has one.
const ffjson_field *wildcard(const parser &p) {
    const ffjson_ctx &ctx = current(p);
    if (ctx.count == 0) {
        return nullptr;
    }
    const ffjson_field &last = ctx.fields[ctx.count - 1];
    return last.name != nullptr && strcmp(last.name, "*") == 0 ? &last : nullptr;
}

// The close entry ends the table, or comes just before its "*" entry so that
// one table can have both.
const ffjson_field *close_entry(const parser &p) {
    const ffjson_ctx &ctx = current(p);
    size_t n = ctx.count - (wildcard(p) != nullptr);
    return n > 0 && ctx.fields[n - 1].type == FFJSON_TCLOSE ? &ctx.fields[n - 1] : nullptr;
}

int match_key(parser &p) {
    ffjson_ctx &ctx = p.sc->ctxs[p.sc->ictx - 1];
    for (size_t i = 0; i < ctx.count; i++) {
        const ffjson_field &f = ctx.fields[i];
        if (f.name == nullptr || strlen(f.name) != p.key.size() ||
            memcmp(f.name, p.key.data(), p.key.size()) != 0) {
            continue;
        }
        uint32_t bit = uint32_t{1} << (i % 32);
        if (ctx.used & bit) {
            return FFJSON_EDUPKEY;
        }
        ctx.used |= bit;
        p.field = &f;
        return 0;
    }
    const ffjson_field *any = wildcard(p);
    if (any == nullptr) {
        return FFJSON_EUNKNOWNKEY;
    }
    p.field = any->handler ? any : nullptr;
    return 0;
}

int on_key(parser &p) {
    int r = read_string(p, p.key);
    if (r != 0) {
        return r;
    }
    p.sc->key = p.key.c_str();
    p.sc->key_len = p.key.size();
    p.next = expect::colon;
    return skipping(p) ? 0 : match_key(p);
}

// Array elements and the document root go to the first nameless entry whose
// type fits, so one table can describe arrays of mixed values.
int match_anonymous(parser &p) {
    const ffjson_ctx &ctx = current(p);
    bool named_none = true;
    for (size_t i = 0; i < ctx.count; i++) {
        const ffjson_field &f = ctx.fields[i];
        if (f.name != nullptr || f.type == FFJSON_TCLOSE) {
            continue;
        }
        named_none = false;
        if (accepts(f.type, p.sc->type, ctx.allow_null)) {
            p.field = &f;
            return 0;
        }
    }
    if (!named_none) {
        return FFJSON_EINTERNAL;
    }
    const ffjson_field *any = wildcard(p);
    if (any == nullptr) {
        return FFJSON_EUNKNOWNKEY;
    }
    p.field = any->handler ? any : nullptr;
    return 0;
}

// Runs a handler that must leave the context stack as it found it.
int call_handler(parser &p, ffjson_handler handler) {
    size_t before = p.sc->ictx;
    int r = handler(p.sc);
    if (r > 0) {
        return r;
    }
    return p.sc->ictx == before ? 0 : FFJSON_EMISUSE;
}

int on_scalar(parser &p) {
    const ffjson_field &f = *p.field;
    if (!accepts(f.type, p.sc->type, current(p).allow_null)) {
        return FFJSON_EINTERNAL;
    }
    return f.handler ? call_handler(p, f.handler) : 0;
}

// A container whose handler pushed no table is skipped up to its closing bracket.
int on_open(parser &p) {
    ffjson_state *sc = p.sc;
    const ffjson_field &f = *p.field;
    if (!accepts(f.type, sc->type, false)) {
        return FFJSON_EINTERNAL;
    }
    size_t before = sc->ictx;
    if (f.handler) {
        int r = f.handler(sc);
        if (r > 0) {
            return r;
        }
    }
    if (sc->ictx == before) {
        p.skip_from = p.brackets.size();
        return 0;
    }
    return sc->ictx == before + 1 ? 0 : FFJSON_EMISUSE;
}

int on_value(parser &p) {
    char opener = p.text[p.pos];
    int r = read_value(p);
    if (r != 0) {
        return r;
    }
    bool skip = skipping(p);
    if (!skip && !in_object(p)) {
        r = match_anonymous(p);
        if (r != 0) {
            return r;
        }
    }
    bool container = p.sc->type == FFJSON_TOK_OBJ || p.sc->type == FFJSON_TOK_ARR;
    if (!container) {
        p.next = p.brackets.empty() ? expect::end : expect::comma_or_close;
        return skip || p.field == nullptr ? 0 : on_scalar(p);
    }
    p.brackets.push_back(opener);
    p.next = opener == '{' ? expect::key_or_close : expect::value_or_close;
    if (skip) {
        return 0;
    }
    if (p.field == nullptr) {
        p.skip_from = p.brackets.size();
        return 0;
    }
    return on_open(p);
}

int on_close(parser &p) {
    ffjson_state *sc = p.sc;
    char closer = p.text[p.pos];
    char opener = closer == '}' ? '{' : '[';
    if (p.brackets.empty() || p.brackets.back() != opener) {
        return fail(p, p.pos, FFJSON_EBRACE);
    }
    p.pos = p.end = p.pos + 1;
    bool skip = skipping(p);
    p.brackets.pop_back();
    p.next = p.brackets.empty() ? expect::end : expect::comma_or_close;
    if (skip) {
        if (p.brackets.size() < p.skip_from) {
            p.skip_from = 0;
        }
        return 0;
    }
    sc->type = opener == '{' ? FFJSON_TOK_OBJ : FFJSON_TOK_ARR;
    sc->raw = p.text + p.pos - 1;
    sc->raw_len = 1;
    const ffjson_field *closing = close_entry(p);
    if (closing != nullptr && closing->handler) {
        int r = call_handler(p, closing->handler);
        if (r != 0) {
            return r;
        }
    }
    sc->ictx--;
    return 0;
}

bool is_closer(char c) {
    return c == '}' || c == ']';
}

int step(parser &p) {
    char c = p.text[p.pos];
    switch (p.next) {
        case expect::value:
            return on_value(p);
        case expect::value_or_close:
            return is_closer(c) ? on_close(p) : on_value(p);
        case expect::key:
            return c == '"' ? on_key(p) : fail(p, p.pos, FFJSON_EBADCHAR);
        case expect::key_or_close:
            if (is_closer(c)) {
                return on_close(p);
            }
            return c == '"' ? on_key(p) : fail(p, p.pos, FFJSON_EBADCHAR);
        case expect::colon:
            if (c != ':') {
                return fail(p, p.pos, FFJSON_EKVSEP);
            }
            p.pos = p.end = p.pos + 1;
            p.next = expect::value;
            return 0;
        case expect::comma_or_close:
            if (is_closer(c)) {
                return on_close(p);
            }
            if (c != ',') {
                return fail(p, p.pos, FFJSON_EBADCHAR);
            }
            p.pos = p.end = p.pos + 1;
            p.next = in_object(p) ? expect::key : expect::value;
            return 0;
        case expect::end:
            return fail(p, p.pos, is_closer(c) ? FFJSON_EBRACE : FFJSON_EBADCHAR);
    }
    return FFJSON_EINTERNAL;
}

int run(parser &p) {
    for (;;) {
        int r = skip_space(p);
        if (r != 0) {
            return r;
        }
        if (p.pos == p.len) {
            break;
        }
        p.tok = p.pos;
        r = step(p);
        if (r != 0) {
            return r;
        }
    }
    if (p.next == expect::end) {
        return FFJSON_OK;
    }
    return p.next == expect::value && p.brackets.empty() ? FFJSON_ENOVALUE : FFJSON_EEXPECTBRACE;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

int ffjson_parse(const char *text, size_t length, const ffjson_field *root, size_t root_count,
                 void *udata, ffjson_error *err) {
    ffjson_state sc{};
    sc.udata = udata;
    sc.key = "";
    sc.str = "";
    sc.raw = "";
    sc.ctxs[0] = ffjson_ctx{root, root_count, 0, false};
    sc.ictx = 1;
    parser p{&sc, text, length};
    int r = run(p);
    if (err != nullptr) {
        err->value = text != nullptr ? text + p.tok : nullptr;
        err->len = p.end - p.tok;
        err->line = p.line;
    }
    return r;
}

void ffjson_push(ffjson_state *sc, const ffjson_field *table, size_t count) {
    OV_ASSERT(sc->ictx != FFCNT(sc->ctxs));
    sc->ctxs[sc->ictx++] = ffjson_ctx{table, count, 0, sc->type == FFJSON_TOK_OBJ};
}

const char *ffjson_strerror(int code) {
    static const char *const kTexts[] = {
        "",
        "system",
        "internal",
        "invalid character",
        "key-value separator",
        "no value",
        "bad value",
        "too large value",
        "invalid escape sequence",
        "inconsistent brace",
        "expected brace",
        "invalid comment",
        "unknown key name",
        "duplicate key",
        "unspecified required parameter",
        "invalid integer",
        "invalid boolean",
        "array value type mismatch",
        "value type mismatch",
        "null value",
        "empty value",
        "zero value",
        "negative value",
        "unexpected value",
        "unknown value",
        "unsupported value",
        "parser misuse",
    };
    if (code < 0 || static_cast<size_t>(code) >= FFCNT(kTexts)) {
        return "unknown error";
    }
    return kTexts[code];
}

size_t json_unescape_one(const char *in, size_t avail, char *out, size_t *out_len) {
    static const char kFrom[] = "\"\\/bfnrt";
    static const char kTo[] = "\"\\/\b\f\n\r\t";
    if (avail == 0) {
        return 0;
    }
    if (in[0] != 'u') {
        const char *hit = in[0] != '\0' ? strchr(kFrom, in[0]) : nullptr;
        if (hit == nullptr) {
            return 0;
        }
        out[0] = kTo[hit - kFrom];
        *out_len = 1;
        return 1;
    }
    if (avail < 5) {
        return 0;
    }
    int64_t code_point = 0;
    for (size_t i = 1; i < 5; i++) {
        int digit = hex_digit(in[i]);
        if (digit < 0) {
            return 0;
        }
        code_point = code_point * 16 + digit;
    }
    // Each \u escape is decoded on its own, so the halves of a surrogate pair
    // become two three-byte sequences.
    *out_len = utf8_encode(code_point, out, JSON_UNESCAPE_MAX);
    return 5;
}
