// A length-checked cursor over untrusted bytes. Every fetch checks what is
// left before it reads and consumes nothing when the bytes are too few, so
// wire parsers never do pointer arithmetic of their own. The reader borrows
// the bytes; they must outlive it. Multi-byte values are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>

struct byte_reader_t {
    const uint8_t *data;
    size_t length;
    size_t offset;
};

// Results of every fetch, peek and skip.
enum { BYTE_READER_OK = 0, BYTE_READER_SHORT = -1 };

inline byte_reader_t byte_reader_init(const uint8_t *data, size_t length) {
    return {data, length, 0};
}

inline size_t byte_reader_remaining(const byte_reader_t *r) {
    return r->length - r->offset;
}

// Where the next byte is read from.
inline const uint8_t *byte_reader_cursor(const byte_reader_t *r) {
    return r->data + r->offset;
}

// Reads an unsigned big-endian value of `width` bytes (1 to 4) without
// consuming it.
int byte_reader_peek_be(const byte_reader_t *r, size_t width, uint32_t *out);

int byte_reader_fetch_u8(byte_reader_t *r, uint8_t *out);
int byte_reader_fetch_be16(byte_reader_t *r, uint16_t *out);
int byte_reader_fetch_be24(byte_reader_t *r, uint32_t *out);
int byte_reader_fetch_be32(byte_reader_t *r, uint32_t *out);

// Hands out a view of the next `n` bytes and consumes them.
int byte_reader_fetch_bytes(byte_reader_t *r, size_t n, const uint8_t **out);

int byte_reader_skip(byte_reader_t *r, size_t n);
