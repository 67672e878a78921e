#include "core/commons/ffjson.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Every handler call is recorded as one event, so a row compares the whole
// walk of a document at once.
using Events = std::vector<std::string>;

Events &events(ffjson_state *sc) {
    return *static_cast<Events *>(sc->udata);
}

std::string render(const ffjson_state *sc) {
    switch (sc->type) {
        case FFJSON_TOK_STR:
            return "\"" + std::string(sc->str, sc->str_len) + "\"";
        case FFJSON_TOK_INT:
            return std::to_string(sc->num);
        case FFJSON_TOK_BOOL:
            return sc->num ? "true" : "false";
        case FFJSON_TOK_FLOAT: {
            char buf[32];
            snprintf(buf, sizeof(buf), "%g", sc->fnum);
            return buf;
        }
        default:
            // A null reads as an empty value.
            return sc->str_len == 0 && sc->str[0] == '\0' && sc->num == 0 ? "null" : "null!";
    }
}

int on_member(ffjson_state *sc) {
    events(sc).push_back(std::string(sc->key, sc->key_len) + "=" + render(sc));
    return 0;
}

int on_element(ffjson_state *sc) {
    events(sc).push_back(render(sc));
    return 0;
}

int on_close(ffjson_state *sc) {
    events(sc).push_back(sc->type == FFJSON_TOK_OBJ ? "}" : "]");
    return 0;
}

int on_found(ffjson_state *) {
    return 28;
}

int open_members(ffjson_state *sc);
int open_elements(ffjson_state *sc);
int open_wild(ffjson_state *sc);
int open_skipping(ffjson_state *sc);

const ffjson_field kMembers[] = {
    {"s", FFJSON_TSTR, on_member},      {"i", FFJSON_TINT, on_member},
    {"b", FFJSON_TBOOL, on_member},     {"any", FFJSON_TANY, on_member},
    {"o", FFJSON_TOBJ, open_members},   {"a", FFJSON_TARR, open_elements},
    {"skip", FFJSON_TOBJ, nullptr},     {"find", FFJSON_TANY, on_found},
    {nullptr, FFJSON_TCLOSE, on_close},
};
const ffjson_field kElements[] = {
    {nullptr, FFJSON_TSTR, on_element},   {nullptr, FFJSON_TINT, on_element},
    {nullptr, FFJSON_TOBJ, open_members}, {nullptr, FFJSON_TARR, open_elements},
    {nullptr, FFJSON_TCLOSE, on_close},
};
// Known keys plus "*" with a handler: unknown keys reach the handler.
const ffjson_field kWild[] = {
    {"i", FFJSON_TINT, on_member},
    {"*", FFJSON_TANY, on_member},
};
// Known keys plus "*" without a handler: unknown members are skipped whole.
const ffjson_field kSkipping[] = {
    {"i", FFJSON_TINT, on_member},
    {"t", FFJSON_TBOOL, on_member},
    {"*", FFJSON_TANY, nullptr},
};

int open_members(ffjson_state *sc) {
    events(sc).push_back("{");
    ffjson_push(sc, kMembers, FFCNT(kMembers));
    return 0;
}

int open_elements(ffjson_state *sc) {
    events(sc).push_back("[");
    ffjson_push(sc, kElements, FFCNT(kElements));
    return 0;
}

int open_wild(ffjson_state *sc) {
    ffjson_push(sc, kWild, FFCNT(kWild));
    return 0;
}

int open_skipping(ffjson_state *sc) {
    ffjson_push(sc, kSkipping, FFCNT(kSkipping));
    return 0;
}

const ffjson_field kRoot[] = {
    {nullptr, FFJSON_TOBJ, open_members},
    {nullptr, FFJSON_TARR, open_elements},
};
const ffjson_field kWildRoot[] = {{nullptr, FFJSON_TOBJ, open_wild}};
const ffjson_field kSkippingRoot[] = {{nullptr, FFJSON_TOBJ, open_skipping}};

enum class Schema { members, wild, skipping };

struct Parsed {
    int code;
    ffjson_error err;
    Events events;
};

Parsed parse(const std::string &doc, Schema schema = Schema::members) {
    Parsed out{};
    const ffjson_field *root = schema == Schema::members ? kRoot
                               : schema == Schema::wild  ? kWildRoot
                                                         : kSkippingRoot;
    size_t count = schema == Schema::members ? FFCNT(kRoot) : 1;
    out.code = ffjson_parse(doc.data(), doc.size(), root, count, &out.events, &out.err);
    return out;
}

struct WalkRow {
    const char *name;
    Schema schema;
    std::string doc;
    Events expected;
};

TEST(FfjsonParse, WalksDocuments) {
    const WalkRow rows[] = {
        {"line and block comments",
         Schema::members,
         "// head\n{ /* inner */ \"s\": \"x\", // tail\n \"i\": -5 /* multi\nline */ }\n// end",
         {"{", "s=\"x\"", "i=-5", "}"}},
        {"comment right after a number", Schema::members, "{\"i\":7/**/}", {"{", "i=7", "}"}},
        {"nested containers",
         Schema::members,
         R"({"o": {"a": [1, "two", [3], {"b": true}]}})",
         {"{", "{", "[", "1", "\"two\"", "[", "3", "]", "{", "b=true", "}", "]", "}", "}"}},
        {"empty containers",
         Schema::members,
         R"({"o": {}, "a": []})",
         {"{", "{", "}", "[", "]", "}"}},
        {"root array", Schema::members, R"(["a", 1])", {"[", "\"a\"", "1", "]"}},
        {"nulls in an object read as empty values",
         Schema::members,
         R"({"s": null, "i": null, "b": null, "any": null})",
         {"{", "s=null", "i=null", "b=null", "any=null", "}"}},
        {"any scalar",
         Schema::members,
         R"({"any": 1.5, "o": {"any": "x"}, "a": [{"any": false}]})",
         {"{", "any=1.5", "{", "any=\"x\"", "}", "[", "{", "any=false", "}", "]", "}"}},
        {"escapes",
         Schema::members,
         R"({"s": "a\"\\\/\b\f\n\r\t\u00e9\u20AC"})",
         {"{", "s=\"a\"\\/\b\f\n\r\t\xc3\xa9\xe2\x82\xac\"", "}"}},
        {"escaped NUL inside a string",
         Schema::members,
         R"({"s": "a\u0000b"})",
         {"{", std::string("s=\"a\0b\"", 7), "}"}},
        {"integer limits",
         Schema::members,
         R"({"o": {"i": 9223372036854775807}, "i": -9223372036854775808})",
         {"{", "{", "i=9223372036854775807", "}", "i=-9223372036854775808", "}"}},
        {"integer overflow reads as floating point",
         Schema::members,
         R"({"any": 9223372036854775808, "o": {"any": 1e3}})",
         {"{", "any=9.22337e+18", "{", "any=1000", "}", "}"}},
        {"named entry without handler skips its container",
         Schema::members,
         R"({"skip": {"x": [1, {"y": [[]]}], "z": null}, "i": 1})",
         {"{", "i=1", "}"}},
        {"wildcard takes unknown keys, repeated",
         Schema::wild,
         R"({"i": 1, "x": "y", "n": null, "x": 2})",
         {"i=1", "x=\"y\"", "n=null", "x=2"}},
        {"wildcard without handler skips any value",
         Schema::skipping,
         R"({"deep": {"a": [[{"i": 5}], {}]}, "i": 2, "s": "x", "t": true})",
         {"i=2", "t=true"}},
        {"raw control bytes other than line feed pass",
         Schema::members,
         "{\"s\": \"a\tb\rc\"}",
         {"{", "s=\"a\tb\rc\"", "}"}},
    };
    for (const WalkRow &row : rows) {
        SCOPED_TRACE(row.name);
        Parsed got = parse(row.doc, row.schema);
        EXPECT_EQ(got.code, 0) << ffjson_strerror(got.code);
        EXPECT_EQ(got.events, row.expected);
    }
}

struct ErrorRow {
    const char *name;
    std::string doc;
    int code;
    size_t line;
    std::string value;  // ffjson_error::value
};

TEST(FfjsonParse, ReportsErrors) {
    const ErrorRow rows[] = {
        {"lone slash between tokens", "{\"i\": 1 / }", 11, 1, "/ "},
        {"slash at the end", "{}\n/", 11, 2, "/"},
        {"unterminated block comment", "{} /* x\n", 11, 1, "/* x\n"},
        {"raw line feed in a string", "{\"s\": \"a\nb\"}", 3, 1, "\"a\n"},
        {"value not followed by comma", "{\"i\": 1 \"s\": \"x\"}", 3, 1, "\""},
        {"key that is not a string", "{1: 2}", 3, 1, "1"},
        {"trailing comma in an object", "{\"i\": 1,}", 3, 1, "}"},
        {"text after the document", "{} x", 3, 1, "x"},
        {"missing key-value separator", "{\"s\" \"x\"}", 4, 1, "\""},
        {"missing value", "{\"s\": }", 5, 1, "}"},
        {"trailing comma in an array", "[1,]", 5, 1, "]"},
        {"empty document", "", 5, 1, ""},
        {"document of comments only", " // nothing\n/* here */ ", 5, 2, ""},
        {"value that is no number", "{\"i\": @}", 5, 1, "@"},
        {"malformed number", "{\"i\": 1.2.3}", 6, 1, "1.2.3"},
        {"sign alone", "{\"i\": -}", 6, 1, "-"},
        {"misspelt true", "{\"b\": tru}", 6, 1, "tru"},
        {"misspelt null", "{\"b\": nil}", 6, 1, "nil"},
        {"word cut by the end", "[fals", 6, 1, "fals"},
        {"exponent overflow", "{\"any\": 1e999}", 7, 1, "1e999"},
        {"exponent underflow", "{\"any\": 1e-999}", 7, 1, "1e-999"},
        {"unknown escape", "{\"s\": \"\\q\"}", 8, 1, "\"\\q"},
        {"bad hex digit", "{\"s\": \"\\u12G4\"}", 8, 1, "\"\\u"},
        {"short unicode escape", "{\"s\": \"\\u12\"}", 8, 1, "\"\\u"},
        {"backslash at the end", "{\"s\": \"ab\\", 8, 1, "\"ab\\"},
        {"bracket of the other kind", "{\"a\": [1}", 9, 1, "}"},
        {"array closing an object", "{]", 9, 1, "]"},
        {"extra closing brace", "{}\n}", 9, 2, "}"},
        {"missing closing brace", "{\"s\": \"x\"\n", 10, 2, "\"x\""},
        {"end inside a string", "{\"s\": \"x", 10, 1, "\"x"},
        {"end after a key", "{\"s\"", 10, 1, "\"s\""},
        {"unknown key", "{\n  \"s\": \"x\",\n  \"zz\": 1\n}", 12, 3, "\"zz\""},
        {"unknown key after a multi-line comment", "/* a\nb */ {\n\"zz\": 1}", 12, 3, "\"zz\""},
        {"duplicate key", "{\"i\": 1, \"i\": 2}", 13, 1, "\"i\""},
        {"string for an integer", "{\"i\": \"1\"}", 2, 1, "\"1\""},
        {"integer for a string", "{\"s\": 1}", 2, 1, "1"},
        {"number for a boolean", "{\"b\": 1}", 2, 1, "1"},
        {"floating point for an integer", "{\"i\": 1.5}", 2, 1, "1.5"},
        {"array for an object", "{\"o\": []}", 2, 1, "["},
        {"object for an integer", "{\"i\": {}}", 2, 1, "{"},
        {"object for a scalar entry", "{\"any\": {}}", 2, 1, "{"},
        {"null refused in an array", "[null]", 2, 1, "null"},
        {"boolean no array entry takes", "[true]", 2, 1, "true"},
        {"handler stop code", "{\"s\": \"a\",\n\"find\": \"it\"}", 28, 2, "\"it\""},
    };
    for (const ErrorRow &row : rows) {
        SCOPED_TRACE(row.name);
        Parsed got = parse(row.doc);
        EXPECT_EQ(got.code, row.code) << ffjson_strerror(got.code);
        EXPECT_EQ(got.err.line, row.line);
        EXPECT_EQ(std::string(got.err.value, got.err.len), row.value);
    }
}

TEST(FfjsonParse, ReportsLastTokenOnSuccess) {
    const std::string doc = "{\"i\": 1\n}\n";
    Parsed got = parse(doc);
    EXPECT_EQ(got.code, 0);
    EXPECT_EQ(std::string(got.err.value, got.err.len), "}");
    EXPECT_EQ(got.err.line, 3u);
}

// Records each value's raw bytes, and whether they lie inside the parsed text.
struct RawSeen {
    std::string doc;
    Events raws;
};

int on_raw(ffjson_state *sc) {
    auto *seen = static_cast<RawSeen *>(sc->udata);
    bool inside =
        sc->raw >= seen->doc.data() && sc->raw + sc->raw_len <= seen->doc.data() + seen->doc.size();
    seen->raws.push_back(inside ? std::string(sc->raw, sc->raw_len) : "outside");
    return 0;
}

int open_raw(ffjson_state *sc);
const ffjson_field kRawMembers[] = {
    {"o", FFJSON_TOBJ, open_raw},
    {nullptr, FFJSON_TCLOSE, on_raw},
    {"*", FFJSON_TANY, on_raw},
};

int open_raw(ffjson_state *sc) {
    on_raw(sc);
    ffjson_push(sc, kRawMembers, FFCNT(kRawMembers));
    return 0;
}

TEST(FfjsonParse, RawBytesOfValues) {
    const ffjson_field root[] = {{nullptr, FFJSON_TOBJ, open_raw}};
    struct Row {
        const char *name;
        std::string doc;
        Events raws;
    };
    const Row rows[] = {
        {"every kind of value, escapes undecoded",
         R"({"s": "a\"b\u0041", "e": "", "n": -1.5e3, "t": true, "z": null, "o": {}})",
         {"{", R"(a\"b\u0041)", "", "-1.5e3", "true", "null", "{", "}", "}"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        RawSeen seen{row.doc, {}};
        EXPECT_EQ(ffjson_parse(seen.doc.data(), seen.doc.size(), root, FFCNT(root), &seen, nullptr),
                  0);
        EXPECT_EQ(seen.raws, row.raws);
    }
}

TEST(FfjsonParse, NullTextWithZeroLength) {
    Events seen;
    ffjson_error err{};
    EXPECT_EQ(ffjson_parse(nullptr, 0, kRoot, FFCNT(kRoot), &seen, &err), FFJSON_ENOVALUE);
    EXPECT_EQ(err.value, nullptr);
    EXPECT_EQ(err.len, 0u);
}

// A table of 33 integer entries "k0" to "k32".
const std::vector<ffjson_field> &wide_table() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (int i = 0; i < 33; i++) {
            out.push_back("k" + std::to_string(i));
        }
        return out;
    }();
    static const std::vector<ffjson_field> table = [] {
        std::vector<ffjson_field> out;
        for (const std::string &name : names) {
            out.push_back({name.c_str(), FFJSON_TINT, on_member});
        }
        return out;
    }();
    return table;
}

int open_wide(ffjson_state *sc) {
    ffjson_push(sc, wide_table().data(), wide_table().size());
    return 0;
}

TEST(FfjsonParse, DuplicateMaskWrapsAtThirtyTwoEntries) {
    const ffjson_field root[] = {{nullptr, FFJSON_TOBJ, open_wide}};
    struct Row {
        const char *name;
        std::string doc;
        int code;
    };
    const Row rows[] = {
        {"distinct entries", R"({"k1": 1, "k31": 2, "k32": 3})", 0},
        // Entries 0 and 32 share bit 0, so the second one counts as a repeat.
        {"entries 32 apart, k0 first", R"({"k0": 1, "k32": 2})", FFJSON_EDUPKEY},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Events seen;
        EXPECT_EQ(ffjson_parse(row.doc.data(), row.doc.size(), root, FFCNT(root), &seen, nullptr),
                  row.code);
    }
}

TEST(FfjsonParse, DuplicateDetectionIsPerContext) {
    Parsed got = parse(R"({"i": 1, "o": {"i": 2, "o": {"i": 3}}, "a": [{"i": 4}, {"i": 5}]})");
    EXPECT_EQ(got.code, 0) << ffjson_strerror(got.code);
}

TEST(FfjsonStrerror, TextsForEveryCode) {
    const char *const expected[] = {
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
    for (int code = 0; code < static_cast<int>(FFCNT(expected)); code++) {
        SCOPED_TRACE(code);
        EXPECT_STREQ(ffjson_strerror(code), expected[code]);
    }
    EXPECT_STREQ(ffjson_strerror(27), "unknown error");
    EXPECT_STREQ(ffjson_strerror(-1), "unknown error");
}

TEST(JsonUnescapeOne, DecodesOneSequence) {
    struct Row {
        std::string in;  // bytes after the backslash
        size_t used;     // 0: invalid
        std::string out;
    };
    const Row rows[] = {
        {"\"", 1, "\""},
        {"\\", 1, "\\"},
        {"/", 1, "/"},
        {"b", 1, "\b"},
        {"f", 1, "\f"},
        {"n", 1, "\n"},
        {"r", 1, "\r"},
        {"tail", 1, "\t"},
        {"u0041", 5, "A"},
        {"u00E9x", 5, "\xc3\xa9"},
        {"uffff", 5, "\xef\xbf\xbf"},
        {"ud83d", 5, "\xed\xa0\xbd"},
        {"u0000", 5, std::string(1, '\0')},
        {"u004", 0, ""},
        {"u00g1", 0, ""},
        {"x", 0, ""},
        {"U0041", 0, ""},
        {"", 0, ""},
        {std::string(1, '\0'), 0, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.in);
        char out[JSON_UNESCAPE_MAX];
        size_t out_len = 0;
        size_t used = json_unescape_one(row.in.data(), row.in.size(), out, &out_len);
        EXPECT_EQ(used, row.used);
        if (used != 0) {
            EXPECT_EQ(std::string(out, out_len), row.out);
        }
    }
}

// Every array pushes the same table again, one context per nesting level.
int push_nested(ffjson_state *sc);
int count_close(ffjson_state *sc) {
    ++*static_cast<int *>(sc->udata);
    return 0;
}
const ffjson_field kNested[] = {
    {nullptr, FFJSON_TARR, push_nested},
    {nullptr, FFJSON_TCLOSE, count_close},
};
int push_nested(ffjson_state *sc) {
    ffjson_push(sc, kNested, FFCNT(kNested));
    return 0;
}

int parse_nested(int levels) {
    std::string doc = std::string(levels, '[') + std::string(levels, ']');
    int closed = 0;
    int code = ffjson_parse(doc.data(), doc.size(), kNested, FFCNT(kNested), &closed, nullptr);
    return code == 0 ? closed : -code;
}

TEST(FfjsonPush, SixteenContextsIncludingTheRoot) {
    EXPECT_EQ(parse_nested(15), 15);
}

TEST(FfjsonPushDeathTest, SeventeenthContextAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(parse_nested(16),
                 "core/commons/ffjson\\.cc:[0-9]+ assertion \\(sc->ictx != "
                 "FFCNT\\(sc->ctxs\\)\\) failed!");
}

int push_twice(ffjson_state *sc) {
    ffjson_push(sc, kMembers, FFCNT(kMembers));
    ffjson_push(sc, kMembers, FFCNT(kMembers));
    return 0;
}

int push_from_scalar(ffjson_state *sc) {
    ffjson_push(sc, kMembers, FFCNT(kMembers));
    return 0;
}

int stop_at_open(ffjson_state *) {
    return 29;
}

int stop_at_close(ffjson_state *) {
    return 30;
}

int go_on_negative(ffjson_state *) {
    return -1;
}

const ffjson_field kStopAtClose[] = {
    {nullptr, FFJSON_TINT, go_on_negative},
    {nullptr, FFJSON_TCLOSE, stop_at_close},
};

int push_stop_at_close(ffjson_state *sc) {
    ffjson_push(sc, kStopAtClose, FFCNT(kStopAtClose));
    return 0;
}

TEST(FfjsonParse, HandlerResults) {
    const ffjson_field twice[] = {{nullptr, FFJSON_TOBJ, push_twice}};
    const ffjson_field scalar[] = {{nullptr, FFJSON_TINT, push_from_scalar}};
    const ffjson_field open_stop[] = {{nullptr, FFJSON_TOBJ, stop_at_open}};
    const ffjson_field close_stop[] = {{nullptr, FFJSON_TARR, push_stop_at_close}};
    const ffjson_field negative[] = {{nullptr, FFJSON_TINT, go_on_negative}};
    struct Row {
        const char *name;
        const ffjson_field *root;
        std::string doc;
        int code;
        std::string value;
    };
    const Row rows[] = {
        {"two pushes for one container", twice, "{}", FFJSON_EMISUSE, "{"},
        {"push from a scalar handler", scalar, "1", FFJSON_EMISUSE, "1"},
        {"open handler stops", open_stop, "{\"x\": 1}", 29, "{"},
        {"close handler stops after the elements", close_stop, "[1, 2]", 30, "]"},
        {"negative results go on", negative, "5", 0, "5"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ffjson_error err{};
        EXPECT_EQ(ffjson_parse(row.doc.data(), row.doc.size(), row.root, 1, nullptr, &err),
                  row.code);
        EXPECT_EQ(std::string(err.value, err.len), row.value);
    }
}

}  // namespace
