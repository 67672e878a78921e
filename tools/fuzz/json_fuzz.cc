// Feeds arbitrary bytes to ffjson_parse() under a recursive schema that
// echoes what it reads into an ffjson_writer: named and "*" entries, entries
// that skip their values, nested objects and arrays (handlers push tables,
// stopping before the context stack is full) and every scalar. A document
// that parses must write out to text that parses and writes to the same text
// again. json_quote() and json_escape() output must read back to the input.
// Any mismatch aborts.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/commons/ffjson.h"
#include "core/commons/json_writer.h"

namespace {

// Handler result that stops a document nesting deeper than the context stack.
constexpr int kTooDeep = 27;

void check(bool ok, const char *what) {
    if (!ok) {
        fprintf(stderr, "json_fuzz: %s\n", what);
        abort();
    }
}

ffjson_writer *writer(ffjson_state *sc) {
    return static_cast<ffjson_writer *>(sc->udata);
}

void write(int result) {
    check(result == 0, "writer refused an item of a well-formed walk");
}

int echo_scalar(ffjson_state *sc);
int echo_object(ffjson_state *sc);
int echo_array(ffjson_state *sc);
int echo_close(ffjson_state *sc);

// Objects at even depths: typed members, dropped members and a "*" that
// echoes any other scalar.
const ffjson_field kMembersEven[] = {
    {"s", FFJSON_TSTR, echo_scalar},  {"i", FFJSON_TINT, echo_scalar},
    {"b", FFJSON_TBOOL, echo_scalar}, {"o", FFJSON_TOBJ, echo_object},
    {"a", FFJSON_TARR, echo_array},   {"n", FFJSON_TINT, nullptr},
    {"skip", FFJSON_TOBJ, nullptr},   {nullptr, FFJSON_TCLOSE, echo_close},
    {"*", FFJSON_TANY, echo_scalar},
};
// Objects at odd depths: a "*" without handler drops every other member.
const ffjson_field kMembersOdd[] = {
    {"s", FFJSON_TSTR, echo_scalar}, {"o", FFJSON_TOBJ, echo_object},
    {"a", FFJSON_TARR, echo_array},  {nullptr, FFJSON_TCLOSE, echo_close},
    {"*", FFJSON_TANY, nullptr},
};
const ffjson_field kElements[] = {
    {nullptr, FFJSON_TOBJ, echo_object},
    {nullptr, FFJSON_TARR, echo_array},
    {nullptr, FFJSON_TANY, echo_scalar},
    {nullptr, FFJSON_TCLOSE, echo_close},
};
const ffjson_field kRoot[] = {
    {nullptr, FFJSON_TOBJ, echo_object},
    {nullptr, FFJSON_TARR, echo_array},
    {nullptr, FFJSON_TANY, echo_scalar},
};

void echo_key(ffjson_state *sc) {
    const ffjson_field *fields = sc->ctxs[sc->ictx - 1].fields;
    if (fields == kMembersEven || fields == kMembersOdd) {
        write(ffjson_write(writer(sc), FFJSON_WSTR, sc->key_len, sc->key));
    }
}

// A float is written so that it reads back as a float: "-0" or "100" alone
// would come back as integers.
void write_float(ffjson_writer *w, double value) {
    char text[48];
    auto res = std::to_chars(text, text + sizeof(text) - 2, value);
    check(res.ec == std::errc(), "float formatting");
    size_t len = static_cast<size_t>(res.ptr - text);
    if (std::string_view(text, len).find_first_of(".e") == std::string_view::npos) {
        memcpy(text + len, ".0", 2);
        len += 2;
    }
    write(ffjson_write(w, FFJSON_WRAW, len, text));
}

int echo_scalar(ffjson_state *sc) {
    ffjson_writer *w = writer(sc);
    echo_key(sc);
    switch (sc->type) {
        case FFJSON_TOK_STR:
            write(ffjson_write(w, FFJSON_WSTR, sc->str_len, sc->str));
            break;
        case FFJSON_TOK_INT:
            write(ffjson_write(w, FFJSON_WINT, sc->num));
            break;
        case FFJSON_TOK_BOOL:
            write(ffjson_write(w, FFJSON_WBOOL, static_cast<int>(sc->num)));
            break;
        case FFJSON_TOK_FLOAT:
            write_float(w, sc->fnum);
            break;
        default:
            check(sc->type == FFJSON_TOK_NULL, "scalar handler got a container");
            write(ffjson_write(w, FFJSON_WNULL));
            break;
    }
    return 0;
}

int open_container(ffjson_state *sc, uint32_t kind, const ffjson_field *table, size_t count) {
    if (sc->ictx == FFCNT(sc->ctxs)) {
        return kTooDeep;
    }
    echo_key(sc);
    write(ffjson_write(writer(sc), kind, nullptr));
    ffjson_push(sc, table, count);
    return 0;
}

int echo_object(ffjson_state *sc) {
    if (sc->ictx % 2 == 1) {
        return open_container(sc, FFJSON_WOBJ, kMembersEven, FFCNT(kMembersEven));
    }
    return open_container(sc, FFJSON_WOBJ, kMembersOdd, FFCNT(kMembersOdd));
}

int echo_array(ffjson_state *sc) {
    return open_container(sc, FFJSON_WARR, kElements, FFCNT(kElements));
}

int echo_close(ffjson_state *sc) {
    uint32_t kind = sc->type == FFJSON_TOK_OBJ ? FFJSON_WOBJ : FFJSON_WARR;
    write(ffjson_write(writer(sc), kind, static_cast<const void *>(sc)));
    return 0;
}

// Parses `text` through the echo schema; on success `out` holds what was written.
int echo(std::string_view text, uint32_t writer_flags, std::string *out) {
    ffjson_writer w;
    ffjson_writer_init(&w, writer_flags);
    ffjson_error err{};
    int r = ffjson_parse(text.data(), text.size(), kRoot, FFCNT(kRoot), &w, &err);
    check(err.value >= text.data() && err.len <= text.size() &&
              err.value - text.data() <= static_cast<ptrdiff_t>(text.size() - err.len),
          "error report outside the input");
    check(err.line >= 1, "error report line");
    check((r >= FFJSON_EINTERNAL && r <= FFJSON_EDUPKEY) || r == kTooDeep || r == 0,
          "unexpected parse result");
    if (r == 0) {
        out->assign(w.data ? w.data : "", w.len);
    }
    ffjson_writer_destroy(&w);
    return r;
}

void fuzz_echo(std::string_view text) {
    static const uint32_t kLayouts[] = {0, FFJSON_WTABS, FFJSON_WSPACES4, FFJSON_WSPACES2};
    uint32_t layout = kLayouts[text.size() % FFCNT(kLayouts)];
    std::string first;
    if (echo(text, layout, &first) != 0) {
        return;
    }
    std::string second;
    check(echo(first, layout, &second) == 0, "written document does not parse");
    check(second == first, "parse-write-parse differs");
    if (layout != 0) {
        std::string compact_first, compact_second;
        check(echo(text, 0, &compact_first) == 0, "compact echo of a parsed document");
        check(echo(first, 0, &compact_second) == 0, "compact echo of an indented document");
        check(compact_first == compact_second, "indented output reads differently");
    }
}

int capture(ffjson_state *sc) {
    static_cast<std::string *>(sc->udata)->assign(sc->str, sc->str_len);
    return 0;
}

// A quoted text read back as the document's root string.
void check_reads_back(const std::string &quoted, std::string_view original, const char *what) {
    static const ffjson_field root[] = {{nullptr, FFJSON_TSTR, capture}};
    std::string read;
    check(ffjson_parse(quoted.data(), quoted.size(), root, 1, &read, nullptr) == 0, what);
    check(read == original, what);
}

void fuzz_quoting(std::string_view text) {
    check_reads_back(json_quote(text.data(), text.size()), text, "json_quote round trip");
    std::string escaped(json_escape(nullptr, text.data(), text.size()), '\0');
    check(json_escape(escaped.data(), text.data(), text.size()) == escaped.size(),
          "json_escape measure and write differ");
    check_reads_back("\"" + escaped + "\"", text, "json_escape round trip");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string_view text(reinterpret_cast<const char *>(data), size);
    fuzz_echo(text);
    fuzz_quoting(text);
    return 0;
}
