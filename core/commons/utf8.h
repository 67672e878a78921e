// UTF-8 helpers: encoding one code point and converting text to UTF-16.
// utf8_to_utf16 writes into the caller's buffer when it is large enough and
// otherwise returns a heap buffer that the caller releases with free().
#pragma once

#include <cstddef>
#include <cstdint>

// Writes `code_point` in the RFC 2279 form of UTF-8 (1 to 6 bytes, up to 31
// bits). Returns the number of bytes written, or 0 when `cap` is too small or
// the value is negative.
size_t utf8_encode(int64_t code_point, char *buf, size_t cap);

// Converts `len` bytes of UTF-8 to NUL-terminated UTF-16. Each ill-formed
// sequence becomes one U+FFFD, as the system conversion does. `buf` (with room
// for `buf_units` units) is used when large enough, otherwise a heap buffer of
// len + 1 units is returned. `out_units`, when not null, receives the number of
// units written without the terminator. Returns null only when memory runs out.
char16_t *utf8_to_utf16(const char *text, size_t len, char16_t *buf, size_t buf_units,
                        size_t *out_units);
