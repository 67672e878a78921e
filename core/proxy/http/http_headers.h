// One HTTP message head as a plain record that the HTTP/1.1 and HTTP/2 session
// codecs fill and read directly: request or status line, the header fields in
// their order (names compared ignoring ASCII case, values kept byte for byte)
// and the HTTP/2 pseudo-header values. A record owns every string in it and is
// released with http_headers_free(); text and lists handed out are the caller's.
#pragma once

#include <nghttp2/nghttp2.h>

#include <cstddef>
#include <cstdint>

// A counted byte string: a private heap copy without a terminating NUL. An
// absent string has length 0 and a null pointer.
struct http_string {
    size_t length;
    char *data;
};

// One header field; an empty value is kept as an absent string.
struct http_field {
    http_string name;
    http_string value;
};

// Ordinary header fields in arrival or insertion order; duplicates allowed.
struct http_field_array {
    size_t count;
    http_field *items;
    size_t capacity;
};

// The HTTP version word: major in bits 8-15, minor in bits 0-7.
constexpr uint32_t HTTP_VERSION_1_0 = 0x0100;
constexpr uint32_t HTTP_VERSION_1_1 = 0x0101;
constexpr uint32_t HTTP_VERSION_2 = 0x0200;

struct http_headers {
    http_field_array fields;
    http_string path;           // request target, or HTTP/2 ":path"
    uint32_t version;           // HTTP_VERSION_*; a new record is HTTP/1.1
    int status_code;            // 0 in a request; non-zero makes the record a response head
    http_string status_string;  // reason phrase
    http_string method;         // request method, or HTTP/2 ":method"
    http_string scheme;         // HTTP/2 ":scheme"
    http_string authority;      // HTTP/2 ":authority"; a Host line in HTTP/1 text
    bool has_body;              // set by the codecs on a received head
    char status_scratch[16];    // decimal ":status" text referenced by http_headers_to_nv()
};

// Returns a zero-filled record with version HTTP/1.1, or null when memory runs out.
http_headers *http_headers_create();

// Returns a deep copy of `source` (strings, fields in order, version, status
// code, has-body flag), or a fresh record when `source` is null. Returns null
// when any part of the copy cannot be allocated; nothing is left behind then.
http_headers *http_headers_clone(const http_headers *source);

// Frees every string, the field array and the record. Null is accepted.
void http_headers_free(http_headers *headers);

// Replace a counted string with a copy of `length` bytes at `data`; the
// previous copy is freed first. Empty text leaves the string absent. Return 0,
// also when the copy cannot be allocated: the string is then absent (and the
// failure is logged).
int http_headers_set_method(http_headers *headers, const char *data, size_t length);
int http_headers_set_path(http_headers *headers, const char *data, size_t length);
int http_headers_set_status_string(http_headers *headers, const char *data, size_t length);
int http_headers_set_scheme(http_headers *headers, const char *data, size_t length);
int http_headers_set_authority(http_headers *headers, const char *data, size_t length);

void http_headers_set_status_code(http_headers *headers, int status_code);

// Adds the pair. A name that is one of ":authority", ":method", ":scheme",
// ":path" or ":status" (ignoring ASCII case) sets that slot and returns 0; a
// ":status" value that is not wholly an unsigned decimal number fitting an int
// sets status code 0. Any other name is appended as a field and 1 is returned;
// when memory runs out the field is dropped (and logged) and 1 is still returned.
int http_headers_add_field(http_headers *headers, const char *name, size_t name_length,
                           const char *value, size_t value_length);

// Returns the value of the first field at index `start` or later whose name has
// the same length and is equal ignoring ASCII case, and stores its index in
// `*index` when `index` is not null; the next call starts at that index plus
// one to walk duplicates. Returns null when there is no such field or
// `headers` is null. The value lives until the record's fields change.
const http_string *http_headers_find_field(const http_headers *headers, const char *name,
                                           size_t name_length, size_t start = 0,
                                           size_t *index = nullptr);

// Whether a field with that name exists; false for a null record.
bool http_headers_has_field(const http_headers *headers, const char *name, size_t name_length);

// Removes every field with that name, keeping the order of the others.
// Returns how many were removed.
size_t http_headers_remove_fields(http_headers *headers, const char *name, size_t name_length);

// Writes the head as HTTP/1 text into a new NUL-terminated buffer stored in
// `*text`: the request or status line, a Host line from the authority unless a
// Host field exists, the fields and an empty line. With `one_line` every "\r\n"
// separator is a single space instead. Returns the text length. Returns 0 with
// `*text` null for a null record, and -1 with `*text` null when memory runs
// out. Release the buffer with http_headers_free_text().
ptrdiff_t http_headers_to_http1(const http_headers *headers, bool one_line, char **text);

void http_headers_free_text(char *text);

// Builds the HTTP/2 header list, without flags: ":status" for a response, or
// ":method", ":scheme", ":authority", ":path" (the ones set, in this order) for
// a request, then every field except "connection" and "transfer-encoding".
// Field names are lower-cased in place in the record, as HTTP/2 requires. The
// entries point into the record and live until it changes. Returns the list
// and stores its length in `*count`, or returns null (`*count` 0) when memory
// runs out. Release the list with http_headers_free_nv().
nghttp2_nv *http_headers_to_nv(http_headers *headers, size_t *count);

void http_headers_free_nv(nghttp2_nv *list);
