// Streaming, schema-driven JSON reader: the caller describes the expected
// document as tables of field descriptors, and ffjson_parse() calls their
// handlers as it meets keys and values, without building a tree. The parser
// owns every buffer it hands to handlers (valid as documented per field); the
// caller owns the input text and the descriptor tables, which must outlive the
// parse.
#pragma once

#include <cstddef>
#include <cstdint>

// Number of elements of an array.
#define FFCNT(a) (sizeof(a) / sizeof((a)[0]))

// Parse results. Codes 14 to 25 are never produced by the parser itself: they
// are the vocabulary for handlers' own checks (a handler returns one to stop
// the parse with it), with these meanings:
//   14 a member the document must carry is missing (checked by a close entry),
//   15 an integer outside what the field accepts, 16 a boolean where only one
//   of the two values is meaningful, 17 an array element of the wrong kind,
//   18 a member of the wrong kind for its context, 19 null where a value is
//   needed, 20 an empty string, 21 zero, 22 a negative number, 23 a value not
//   expected in this context, 24 a value outside the known set, 25 a known
//   value that this build does not support.
// Callers use codes above FFJSON_EMISUSE for their own outcomes.
enum {
    FFJSON_OK = 0,
    FFJSON_ESYSTEM = 1,        // not produced: allocation failures throw std::bad_alloc
    FFJSON_EINTERNAL = 2,      // value or container type does not fit the descriptor
    FFJSON_EBADCHAR = 3,       // unexpected character, raw line feed in a string
    FFJSON_EKVSEP = 4,         // a key not followed by ':'
    FFJSON_ENOVALUE = 5,       // no value where one is due; empty document
    FFJSON_EBADVALUE = 6,      // malformed number or word
    FFJSON_ELARGE = 7,         // number beyond the exponent range of double
    FFJSON_EESCAPE = 8,        // undecodable escape sequence
    FFJSON_EBRACE = 9,         // closing bracket that does not match the open one
    FFJSON_EEXPECTBRACE = 10,  // input ends before the document is complete
    FFJSON_ECOMMENT = 11,      // '/' not starting a comment, unterminated block comment
    FFJSON_EUNKNOWNKEY = 12,   // key (or anonymous value) that no descriptor matches
    FFJSON_EDUPKEY = 13,       // descriptor matched by name twice in one object
    FFJSON_EREQUIRED = 14,
    FFJSON_EBADINT = 15,
    FFJSON_EBADBOOL = 16,
    FFJSON_EARRAYTYPE = 17,
    FFJSON_EVALUETYPE = 18,
    FFJSON_ENULL = 19,
    FFJSON_EEMPTY = 20,
    FFJSON_EZERO = 21,
    FFJSON_ENEGATIVE = 22,
    FFJSON_EUNEXPECTED = 23,
    FFJSON_EUNKNOWNVALUE = 24,
    FFJSON_EUNSUPPORTED = 25,
    FFJSON_EMISUSE = 26,  // a handler pushed where it must not (see ffjson_push)
};

// Descriptor types: what a descriptor expects and when its handler runs.
enum {
    FFJSON_TSTR = 1,      // string; handler gets str/str_len
    FFJSON_TINT = 3,      // integer; handler gets num
    FFJSON_TBOOL = 5,     // true or false; handler gets num 1 or 0
    FFJSON_TOBJ = 6,      // object; handler runs at '{' and pushes the member table
    FFJSON_TARR = 7,      // array; handler runs at '[' and pushes the element table
    FFJSON_TCLOSE = 10,   // null name, last (or just before "*"): handler runs at the close
    FFJSON_TANY = 65536,  // any scalar, null and floating point included
};

// Token types, as found in ffjson_state::type.
enum {
    FFJSON_TOK_NULL = 0,
    FFJSON_TOK_STR = 1,
    FFJSON_TOK_INT = 2,
    FFJSON_TOK_BOOL = 3,
    FFJSON_TOK_OBJ = 4,
    FFJSON_TOK_ARR = 5,
    FFJSON_TOK_FLOAT = 6,
};

struct ffjson_state;

// Returns 0 (or a negative value) to go on; a positive value ends the parse
// and becomes its result.
typedef int (*ffjson_handler)(ffjson_state *sc);

// One schema entry. `name` null matches an anonymous value (array element or
// document root): the first nameless entry whose type fits takes it, so one
// table can describe mixed arrays. "*" as the last entry of a table matches
// any key (or anonymous value) not listed; it is not counted for duplicates.
// A null handler checks the type and ignores the value (a container is then
// skipped); a "*" entry without a handler skips any value. A close entry's
// handler sees type FFJSON_TOK_OBJ or FFJSON_TOK_ARR.
struct ffjson_field {
    const char *name;
    int type;
    ffjson_handler handler;
};

// One level of the context stack. Duplicate detection keeps one bit per
// entry index modulo 32, so in tables of more than 32 entries two entries
// 32 apart share a bit.
struct ffjson_ctx {
    const ffjson_field *fields;
    size_t count;
    uint32_t used;
    // Null is accepted for string, integer and boolean descriptors in
    // contexts pushed for objects (a null member reads as an absent value)
    // and refused in arrays and at the document root, where a null element
    // of a typed list is malformed data.
    bool allow_null;
};

// What a handler may read. The root table is context 0; each container
// whose handler pushed a table adds one context, at most FFCNT(ctxs) in all.
struct ffjson_state {
    void *udata;  // the user pointer given to ffjson_parse()
    // Current key, NUL-terminated copy, valid until the next key is read.
    const char *key;
    size_t key_len;
    // Current value. A null accepted in place of a typed value keeps type
    // FFJSON_TOK_NULL and reads as "" and 0.
    int type;         // FFJSON_TOK_*
    const char *str;  // decoded string, NUL-terminated, valid during the handler call only
    size_t str_len;
    int64_t num;  // integer; 1 or 0 for booleans
    double fnum;  // floating-point number
    // The current value as it is written in the input (a view of the caller's
    // text, valid as long as the text is): for a string, the bytes between its
    // quotes with escapes undecoded, so that handlers can keep views of the
    // text instead of copies; for a number, a word or null, its text; for a
    // container, the bracket its handler runs at.
    const char *raw;
    size_t raw_len;
    ffjson_ctx ctxs[16];
    size_t ictx;  // number of contexts in use
};

// Where and on what a parse stopped.
struct ffjson_error {
    const char *value;  // input bytes of the last token read (the offending one on errors)
    size_t len;
    size_t line;  // 1-based line of that token
};

// Parses `length` bytes of `text` (never reading past them) against the root
// table, whose anonymous entries match the document's top-level value. Line
// and block comments are allowed wherever whitespace is. `err`, when not null,
// receives the last token and its line, on success as well. Returns 0, an
// FFJSON_E* code, or the first positive handler result.
int ffjson_parse(const char *text, size_t length, const ffjson_field *root, size_t root_count,
                 void *udata, ffjson_error *err);

// Makes `table` the context for the members of the container whose handler
// is running. Call it at most once, from a FFJSON_TOBJ or FFJSON_TARR
// handler; a push from any other handler, or a second push, ends the parse
// with FFJSON_EMISUSE. Pushing when all contexts are in use is an invariant
// failure that aborts the process: handlers of recursive schemas check
// `sc->ictx < FFCNT(sc->ctxs)` first and stop the parse otherwise.
void ffjson_push(ffjson_state *sc, const ffjson_field *table, size_t count);

// Text for a parse result: "" for 0, a short phrase for 1 to 26, and
// "unknown error" for any other value.
const char *ffjson_strerror(int code);

// Longest output of json_unescape_one(): \uFFFF takes three UTF-8 bytes.
constexpr size_t JSON_UNESCAPE_MAX = 3;

// Decodes the escape sequence whose first byte (after the backslash) is at
// `in`, reading at most `avail` bytes, into `out` (JSON_UNESCAPE_MAX bytes of
// room). Returns the number of bytes consumed (1, or 5 for \uXXXX) and sets
// `*out_len`; returns 0 when the sequence is invalid or cut short.
size_t json_unescape_one(const char *in, size_t avail, char *out, size_t *out_len);
