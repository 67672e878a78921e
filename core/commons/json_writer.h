// JSON output: quoting and escaping of texts, a builder for flat objects and
// the streaming writer ffjson_writer. The writer owns its output buffer until
// ffjson_writer_take() hands it to the caller (released with free()) or
// ffjson_writer_destroy() releases it; the quoting helpers return std::string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Writes `text` as the inside of a JSON string into `out`, or only measures
// it when `out` is null: '"', '\\', backspace, form feed, carriage return,
// line feed and tab as two-character escapes, other bytes below 0x20 and 0x7F
// as \u00xx, everything else (the slash and UTF-8 included) unchanged.
// Returns the number of bytes written (or that would be written).
size_t json_escape(char *out, const char *text, size_t len);

// Returns `text` as a quoted JSON string: "null" for a null text, "\"\"" for
// an empty one. Unlike json_escape() the slash is escaped too, so the result
// can sit inside an HTML <script> element without closing it.
std::string json_quote(const char *text, size_t len);

// One member for json_object_build(): `value` is quoted with json_quote()
// when `value_is_text`, and inserted as it stands otherwise (a number, a
// literal or prepared JSON).
struct json_pair {
    std::string_view key;
    std::string_view value;
    bool value_is_text;
};

// Returns the object made of the pairs in order, without spaces: "{}" for none.
std::string json_object_build(const json_pair *pairs, size_t count);

// ffjson_write() kinds, selected by the low four bits of its flags.
constexpr uint32_t FFJSON_WNULL = 0;  // `null`; no value argument
constexpr uint32_t FFJSON_WSTR = 1;   // (size_t length, const char *data)
constexpr uint32_t FFJSON_WINT = 2;   // int64_t
constexpr uint32_t FFJSON_WBOOL = 3;  // int: nonzero writes true
constexpr uint32_t FFJSON_WOBJ = 4;   // const void *: nullptr opens, non-null closes
constexpr uint32_t FFJSON_WARR = 5;   // const void *: nullptr opens, non-null closes
constexpr uint32_t FFJSON_WRAW = 6;   // (size_t length, const char *data) copied as it is
constexpr uint32_t FFJSON_WKIND = 0x0f;

// Modifiers, per call or as writer defaults.
constexpr uint32_t FFJSON_WNOESC = 0x80000000;  // string copied without escaping
constexpr uint32_t FFJSON_WSZ = 0x08000000;     // string given as one NUL-terminated const char *
constexpr uint32_t FFJSON_WINT32 = 0x04000000;  // integer given as int, sign-extended
constexpr uint32_t FFJSON_WMORE = 0x02000000;   // leave the string open for the next write
// Indentation, as writer defaults only; the first one set in this order wins.
constexpr uint32_t FFJSON_WTABS = 0x40000000;     // one tab per open container
constexpr uint32_t FFJSON_WSPACES4 = 0x10000000;  // four spaces per open container
constexpr uint32_t FFJSON_WSPACES2 = 0x20000000;  // two spaces per open container
// Keys are written as NUL-terminated, unescaped texts.
constexpr uint32_t FFJSON_WKEY = FFJSON_WNOESC | FFJSON_WSZ | FFJSON_WSTR;

// State bits.
constexpr uint32_t FFJSON_WS_COMMA = 1;    // a comma is due before the next value
constexpr uint32_t FFJSON_WS_WANTKEY = 2;  // the next string in this object is a key
constexpr uint32_t FFJSON_WS_KEYDONE = 4;  // a key has just been written
constexpr uint32_t FFJSON_WS_STROPEN = 8;  // a string is open (FFJSON_WMORE)
constexpr uint32_t FFJSON_WS_ANY = 16;     // at least one item has been written

// Deepest nesting the writer tracks; data written by this system stays far below.
constexpr size_t FFJSON_WRITER_DEPTH = 64;

struct ffjson_writer {
    size_t len;  // output bytes
    char *data;  // NUL-terminated once anything was written, else null
    size_t cap;
    uint8_t stack[FFJSON_WRITER_DEPTH];  // open containers: FFJSON_WOBJ or FFJSON_WARR
    size_t depth;
    uint32_t flags;  // defaults, added to every call's flags
    uint32_t state;  // FFJSON_WS_* bits
};

// Prepares an empty writer; `flags` holds default modifiers and indentation.
void ffjson_writer_init(ffjson_writer *w, uint32_t flags);

// Releases the output buffer; the writer may be initialised again.
void ffjson_writer_destroy(ffjson_writer *w);

// Hands the output (NUL-terminated, `*len` bytes without the NUL) to the
// caller, who releases it with free(), and empties the writer, keeping its
// defaults. Returns null only when memory runs out.
char *ffjson_writer_take(ffjson_writer *w, size_t *len);

// Writes one item, with the value argument `flags` selects (see the kinds
// above; pass exactly the listed types, nullptr for "open"). A comma comes
// before any item that follows a value; inside an object the first string
// after the opening brace or a comma is a key, followed by ':' (and a space
// when indenting). With indentation every item after the first, except the
// value after a key, starts on a new line. Returns 0 on success; 2 on misuse
// (closing a container that is not the innermost open one or with a key
// awaiting its value, a non-string where a key is due, a non-string while a
// string is open, nesting past FFJSON_WRITER_DEPTH, an unknown kind, a null
// text with a nonzero length), leaving the output unchanged; 1 when memory
// runs out.
int ffjson_write(ffjson_writer *w, uint32_t flags, ...);
