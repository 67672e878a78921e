#include "core/commons/json_writer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/commons/ffjson.h"

namespace {

TEST(JsonQuote, QuotesAndEscapes) {
    struct Row {
        const char *name;
        const char *text;  // null: a null text
        size_t len;
        std::string expected;
    };
    const Row rows[] = {
        {"null text", nullptr, 0, "null"},
        {"empty text", "", 0, "\"\""},
        {"tab, quote, slash and 0x01", "\t\"/\x01", 4, R"("\t\"\/\u0001")"},
        {"short escapes", "\b\f\n\r\\", 5, R"("\b\f\n\r\\")"},
        {"other control bytes and DEL", "\x1f\x7f\x0b", 3, R"("\u001f\u007f\u000b")"},
        {"NUL inside the text", "a\0b", 3, R"("a\u0000b")"},
        {"UTF-8 passes through", "\xc3\xa9\xe2\x82\xac", 5, "\"\xc3\xa9\xe2\x82\xac\""},
        {"length cuts the text", "abcdef", 3, "\"abc\""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(json_quote(row.text, row.len), row.expected);
    }
}

TEST(JsonEscape, EscapesWithoutTheSlash) {
    struct Row {
        const char *name;
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"empty", "", ""},
        {"slash kept", "a/b", "a/b"},
        {"short escapes", "\"\\\b\f\r\n\t", R"(\"\\\b\f\r\n\t)"},
        {"control bytes and DEL", std::string("\0\x01\x1f\x7f", 4), R"(\u0000\u0001\u001f\u007f)"},
        {"high bytes unchanged", "\x80\xff", "\x80\xff"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        size_t measured = json_escape(nullptr, row.text.data(), row.text.size());
        std::string out(measured, '?');
        EXPECT_EQ(json_escape(out.data(), row.text.data(), row.text.size()), measured);
        EXPECT_EQ(out, row.expected);
    }
}

TEST(JsonObjectBuild, BuildsFlatObjects) {
    struct Row {
        const char *name;
        std::vector<json_pair> pairs;
        std::string expected;
    };
    const Row rows[] = {
        {"no pairs", {}, "{}"},
        {"text and raw pairs", {{"a", "b", true}, {"n", "1", false}}, R"({"a":"b","n":1})"},
        {"quoted key and value", {{"k\"", "</script>", true}}, R"({"k\"":"<\/script>"})"},
        {"raw prepared JSON",
         {{"list", "[1,2]", false}, {"t", "true", false}},
         R"({"list":[1,2],"t":true})"},
        {"null text value", {{"v", std::string_view(), true}}, R"({"v":null})"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(json_object_build(row.pairs.data(), row.pairs.size()), row.expected);
    }
}

// One ffjson_write() call of a script, with the argument its flags ask for.
struct Op {
    uint32_t flags;
    std::string text;
    int64_t num;
    bool close;
    int result;
};

Op key(const char *text) {
    return {FFJSON_WKEY, text, 0, false, 0};
}
Op str(std::string text, uint32_t extra = 0) {
    return {FFJSON_WSTR | extra, std::move(text), 0, false, 0};
}
Op int64(int64_t value) {
    return {FFJSON_WINT, "", value, false, 0};
}
Op int32(int32_t value) {
    return {FFJSON_WINT | FFJSON_WINT32, "", value, false, 0};
}
Op boolean(bool value) {
    return {FFJSON_WBOOL, "", value, false, 0};
}
Op null() {
    return {FFJSON_WNULL, "", 0, false, 0};
}
Op raw(const char *text) {
    return {FFJSON_WRAW, text, 0, false, 0};
}
Op open(uint32_t kind) {
    return {kind, "", 0, false, 0};
}
Op close(uint32_t kind) {
    return {kind, "", 0, true, 0};
}
Op fails(Op op) {
    op.result = 2;
    return op;
}

int apply(ffjson_writer *w, const Op &op) {
    switch (op.flags & FFJSON_WKIND) {
        case FFJSON_WSTR:
            if (op.flags & FFJSON_WSZ) {
                return ffjson_write(w, op.flags, op.text.c_str());
            }
            return ffjson_write(w, op.flags, op.text.size(), op.text.data());
        case FFJSON_WRAW:
            return ffjson_write(w, op.flags, op.text.size(), op.text.data());
        case FFJSON_WINT:
            if (op.flags & FFJSON_WINT32) {
                return ffjson_write(w, op.flags, static_cast<int>(op.num));
            }
            return ffjson_write(w, op.flags, op.num);
        case FFJSON_WBOOL:
            return ffjson_write(w, op.flags, static_cast<int>(op.num));
        case FFJSON_WOBJ:
        case FFJSON_WARR:
            return ffjson_write(w, op.flags, op.close ? static_cast<const void *>(w) : nullptr);
        default:
            return ffjson_write(w, op.flags);
    }
}

std::string output(const ffjson_writer &w) {
    return w.data ? std::string(w.data, w.len) : std::string();
}

struct ScriptRow {
    const char *name;
    uint32_t defaults;
    std::vector<Op> ops;
    std::string expected;
};

void run_scripts(const std::vector<ScriptRow> &rows) {
    for (const ScriptRow &row : rows) {
        SCOPED_TRACE(row.name);
        ffjson_writer w;
        ffjson_writer_init(&w, row.defaults);
        for (size_t i = 0; i < row.ops.size(); i++) {
            SCOPED_TRACE("op " + std::to_string(i));
            EXPECT_EQ(apply(&w, row.ops[i]), row.ops[i].result);
        }
        EXPECT_EQ(output(w), row.expected);
        ffjson_writer_destroy(&w);
    }
}

TEST(FfjsonWrite, WritesCompactDocuments) {
    run_scripts({
        {"nested objects and arrays",
         0,
         {open(FFJSON_WOBJ), key("a"), int64(1), key("b"), open(FFJSON_WARR), str("x"),
          boolean(true), null(), open(FFJSON_WOBJ), close(FFJSON_WOBJ), close(FFJSON_WARR),
          key("c"), open(FFJSON_WOBJ), key("d"), raw("1.5"), close(FFJSON_WOBJ),
          close(FFJSON_WOBJ)},
         R"({"a":1,"b":["x",true,null,{}],"c":{"d":1.5}})"},
        {"keys given with a length are escaped",
         0,
         {open(FFJSON_WOBJ), str("k\""), str("v\n/"), close(FFJSON_WOBJ)},
         R"({"k\"":"v\n/"})"},
        {"NUL-terminated string value", 0, {str("x/y", FFJSON_WSZ)}, R"("x/y")"},
        {"unescaped string", 0, {str("a\"b", FFJSON_WNOESC)}, R"("a"b")"},
        {"integers",
         0,
         {open(FFJSON_WARR), int64(INT64_MIN), int64(INT64_MAX), int32(-7), int32(INT32_MIN),
          int32(0), close(FFJSON_WARR)},
         "[-9223372036854775808,9223372036854775807,-7,-2147483648,0]"},
        {"booleans",
         0,
         {open(FFJSON_WARR), boolean(false), boolean(true), close(FFJSON_WARR)},
         "[false,true]"},
        {"nested arrays",
         0,
         {open(FFJSON_WARR), open(FFJSON_WARR), close(FFJSON_WARR), open(FFJSON_WARR),
          open(FFJSON_WARR), close(FFJSON_WARR), close(FFJSON_WARR), close(FFJSON_WARR)},
         "[[],[[]]]"},
        {"string continued over writes",
         0,
         {open(FFJSON_WARR), str("ab", FFJSON_WMORE), str("c\"", FFJSON_WMORE), str("d"), int64(1),
          close(FFJSON_WARR)},
         R"(["abc\"d",1])"},
        {"key continued over writes",
         0,
         {open(FFJSON_WOBJ), str("ke", FFJSON_WMORE), str("y"), int64(1), close(FFJSON_WOBJ)},
         R"({"key":1})"},
        {"raw text in an array",
         0,
         {open(FFJSON_WARR), raw("{\"pre\":1}"), raw("2"), close(FFJSON_WARR)},
         R"([{"pre":1},2])"},
        {"default flags apply to every call",
         FFJSON_WNOESC,
         {open(FFJSON_WOBJ), str("k"), str("\"q\""), close(FFJSON_WOBJ)},
         R"({"k":""q""})"},
    });
}

TEST(FfjsonWrite, RefusesMisuse) {
    run_scripts({
        {"closing the wrong container",
         0,
         {open(FFJSON_WOBJ), fails(close(FFJSON_WARR)), close(FFJSON_WOBJ)},
         "{}"},
        {"closing the outer container first",
         0,
         {open(FFJSON_WARR), open(FFJSON_WOBJ), fails(close(FFJSON_WARR)), close(FFJSON_WOBJ),
          close(FFJSON_WARR)},
         "[{}]"},
        {"closing with nothing open",
         0,
         {fails(close(FFJSON_WOBJ)), fails(close(FFJSON_WARR))},
         ""},
        {"closing with a key awaiting its value",
         0,
         {open(FFJSON_WOBJ), key("a"), fails(close(FFJSON_WOBJ)), null(), close(FFJSON_WOBJ)},
         R"({"a":null})"},
        {"a number where a key is due",
         0,
         {open(FFJSON_WOBJ), fails(int64(1)), fails(open(FFJSON_WARR)), close(FFJSON_WOBJ)},
         "{}"},
        {"a number while a string is open",
         0,
         {str("a", FFJSON_WMORE), fails(int64(1)), fails(close(FFJSON_WARR)), str("b")},
         R"("ab")"},
        {"unknown kind", 0, {fails(Op{7, "", 0, false, 0}), fails(Op{15, "", 0, false, 0})}, ""},
    });
}

TEST(FfjsonWrite, Indents) {
    const std::vector<Op> script = {
        open(FFJSON_WOBJ), key("a"),          int64(1),           key("b"),
        open(FFJSON_WARR), int64(2),          str("x"),           close(FFJSON_WARR),
        key("c"),          open(FFJSON_WOBJ), close(FFJSON_WOBJ), close(FFJSON_WOBJ),
    };
    run_scripts({
        {"tabs", FFJSON_WTABS, script,
         "{\n\t\"a\": 1,\n\t\"b\": [\n\t\t2,\n\t\t\"x\"\n\t],\n\t\"c\": {\n\t}\n}"},
        {"four spaces", FFJSON_WSPACES4, script,
         "{\n    \"a\": 1,\n    \"b\": [\n        2,\n        \"x\"\n    ],\n    \"c\": {\n    "
         "}\n}"},
        {"two spaces", FFJSON_WSPACES2, script,
         "{\n  \"a\": 1,\n  \"b\": [\n    2,\n    \"x\"\n  ],\n  \"c\": {\n  }\n}"},
        {"tabs win over spaces",
         FFJSON_WTABS | FFJSON_WSPACES2,
         {open(FFJSON_WARR), null(), close(FFJSON_WARR)},
         "[\n\tnull\n]"},
        {"continued string stays on its line",
         FFJSON_WSPACES2,
         {open(FFJSON_WARR), str("a", FFJSON_WMORE), str("b"), close(FFJSON_WARR)},
         "[\n  \"ab\"\n]"},
    });
}

TEST(FfjsonWrite, NestingLimit) {
    ffjson_writer w;
    ffjson_writer_init(&w, 0);
    for (size_t i = 0; i < FFJSON_WRITER_DEPTH; i++) {
        ASSERT_EQ(ffjson_write(&w, FFJSON_WARR, nullptr), 0);
    }
    EXPECT_EQ(ffjson_write(&w, FFJSON_WARR, nullptr), 2);
    EXPECT_EQ(ffjson_write(&w, FFJSON_WNULL), 0);
    ffjson_writer_destroy(&w);
}

TEST(FfjsonWrite, CapacityGrowsAlongTwoNPlusOne) {
    ffjson_writer w;
    ffjson_writer_init(&w, 0);
    std::vector<size_t> caps;
    for (int i = 0; i < 6; i++) {
        ASSERT_EQ(ffjson_write(&w, FFJSON_WRAW, size_t{3}, "abc"), 0);
        if (caps.empty() || caps.back() != w.cap) {
            caps.push_back(w.cap);
        }
    }
    // 4 bytes with the NUL: 0 -> 1 -> 3 -> 7; then 7, 10, 13, 16, 19 bytes.
    EXPECT_EQ(caps, (std::vector<size_t>{7, 15, 31}));
    ffjson_writer_destroy(&w);
}

TEST(FfjsonWrite, TakeHandsOverTheOutput) {
    ffjson_writer w;
    ffjson_writer_init(&w, FFJSON_WSPACES2);
    size_t len = 99;
    char *empty = ffjson_writer_take(&w, &len);
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    EXPECT_EQ(len, 0u);
    free(empty);

    ASSERT_EQ(ffjson_write(&w, FFJSON_WARR, nullptr), 0);
    ASSERT_EQ(ffjson_write(&w, FFJSON_WARR, &w), 0);
    char *out = ffjson_writer_take(&w, &len);
    EXPECT_EQ(std::string(out, len), "[\n]");
    EXPECT_EQ(out[len], '\0');
    free(out);
    EXPECT_EQ(w.data, nullptr);
    EXPECT_EQ(w.flags, FFJSON_WSPACES2);
    ffjson_writer_destroy(&w);
}

// Echo schema: writes back everything the reader walks over. Objects take the
// keys below; unknown keys with scalar values go through "*".
int echo_scalar(ffjson_state *sc);
int echo_object(ffjson_state *sc);
int echo_array(ffjson_state *sc);
int echo_close(ffjson_state *sc);

const ffjson_field kEchoMembers[] = {
    {"s", FFJSON_TSTR, echo_scalar},  {"i", FFJSON_TINT, echo_scalar},
    {"b", FFJSON_TBOOL, echo_scalar}, {"o", FFJSON_TOBJ, echo_object},
    {"a", FFJSON_TARR, echo_array},   {nullptr, FFJSON_TCLOSE, echo_close},
    {"*", FFJSON_TANY, echo_scalar},
};
const ffjson_field kEchoElements[] = {
    {nullptr, FFJSON_TOBJ, echo_object},
    {nullptr, FFJSON_TARR, echo_array},
    {nullptr, FFJSON_TANY, echo_scalar},
    {nullptr, FFJSON_TCLOSE, echo_close},
};

ffjson_writer *writer(ffjson_state *sc) {
    return static_cast<ffjson_writer *>(sc->udata);
}

// Members of an object are preceded by their key.
int echo_key(ffjson_state *sc) {
    if (sc->ctxs[sc->ictx - 1].fields != kEchoMembers) {
        return 0;
    }
    return ffjson_write(writer(sc), FFJSON_WSTR, sc->key_len, sc->key);
}

int echo_scalar(ffjson_state *sc) {
    ffjson_writer *w = writer(sc);
    int r = echo_key(sc);
    switch (sc->type) {
        case FFJSON_TOK_STR:
            r |= ffjson_write(w, FFJSON_WSTR, sc->str_len, sc->str);
            break;
        case FFJSON_TOK_INT:
            r |= ffjson_write(w, FFJSON_WINT, sc->num);
            break;
        case FFJSON_TOK_BOOL:
            r |= ffjson_write(w, FFJSON_WBOOL, static_cast<int>(sc->num));
            break;
        case FFJSON_TOK_FLOAT: {
            char text[40];
            auto res = std::to_chars(text, text + sizeof(text), sc->fnum);
            r |= ffjson_write(w, FFJSON_WRAW, static_cast<size_t>(res.ptr - text), text);
            break;
        }
        default:
            r |= ffjson_write(w, FFJSON_WNULL);
            break;
    }
    return r ? 27 : 0;
}

int echo_object(ffjson_state *sc) {
    if (echo_key(sc) || ffjson_write(writer(sc), FFJSON_WOBJ, nullptr)) {
        return 27;
    }
    ffjson_push(sc, kEchoMembers, FFCNT(kEchoMembers));
    return 0;
}

int echo_array(ffjson_state *sc) {
    if (echo_key(sc) || ffjson_write(writer(sc), FFJSON_WARR, nullptr)) {
        return 27;
    }
    ffjson_push(sc, kEchoElements, FFCNT(kEchoElements));
    return 0;
}

int echo_close(ffjson_state *sc) {
    uint32_t kind = sc->type == FFJSON_TOK_OBJ ? FFJSON_WOBJ : FFJSON_WARR;
    return ffjson_write(writer(sc), kind, static_cast<const void *>(sc)) ? 27 : 0;
}

const ffjson_field kEchoRoot[] = {
    {nullptr, FFJSON_TOBJ, echo_object},
    {nullptr, FFJSON_TARR, echo_array},
    {nullptr, FFJSON_TANY, echo_scalar},
};

// Parses `doc` and returns what the echo schema wrote, or the parse error.
std::string echo(const std::string &doc, uint32_t writer_flags) {
    ffjson_writer w;
    ffjson_writer_init(&w, writer_flags);
    int r = ffjson_parse(doc.data(), doc.size(), kEchoRoot, FFCNT(kEchoRoot), &w, nullptr);
    std::string out = r == 0 ? output(w) : "error " + std::to_string(r);
    ffjson_writer_destroy(&w);
    return out;
}

TEST(FfjsonWrite, ParseWriteParseRoundTrip) {
    struct Row {
        const char *name;
        std::string doc;
        std::string written;
    };
    const Row rows[] = {
        {"scalars at the root", "\"a\\u00e9\\n\"", "\"a\xc3\xa9\\n\""},
        {"object with comments", "{ // c\n \"s\": \"x\", /* c */ \"i\": -3, \"b\": false }",
         R"({"s":"x","i":-3,"b":false})"},
        {"nested with unknown keys", R"({"o": {"a": [1, 2.5, null, "t", [true], {}]}, "x": 7})",
         R"({"o":{"a":[1,2.5,null,"t",[true],{}]},"x":7})"},
        {"escapes and control bytes", R"({"s": "q\"\\\/\u0001\u007f\t"})",
         R"({"s":"q\"\\/\u0001\u007f\t"})"},
        {"null members", R"({"s": null, "i": null, "x": null})", R"({"s":null,"i":null,"x":null})"},
        {"empty containers", R"([[], {}, [[]]])", "[[],{},[[]]]"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string first = echo(row.doc, 0);
        EXPECT_EQ(first, row.written);
        EXPECT_EQ(echo(first, 0), first);
        // Indented output reads back to the same document.
        EXPECT_EQ(echo(echo(row.doc, FFJSON_WTABS), 0), first);
        EXPECT_EQ(echo(echo(row.doc, FFJSON_WSPACES2), 0), first);
    }
}

}  // namespace
