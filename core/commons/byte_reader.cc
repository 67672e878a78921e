#include "core/commons/byte_reader.h"

namespace {

template <typename T>
int fetch_be(byte_reader_t *r, size_t width, T *out) {
    uint32_t value = 0;
    if (byte_reader_peek_be(r, width, &value) != BYTE_READER_OK) {
        return BYTE_READER_SHORT;
    }
    r->offset += width;
    *out = static_cast<T>(value);
    return BYTE_READER_OK;
}

}  // namespace

int byte_reader_peek_be(const byte_reader_t *r, size_t width, uint32_t *out) {
    if (width == 0 || width > 4 || byte_reader_remaining(r) < width) {
        return BYTE_READER_SHORT;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i) {
        value = (value << 8) | r->data[r->offset + i];
    }
    *out = value;
    return BYTE_READER_OK;
}

int byte_reader_fetch_u8(byte_reader_t *r, uint8_t *out) {
    return fetch_be(r, 1, out);
}

int byte_reader_fetch_be16(byte_reader_t *r, uint16_t *out) {
    return fetch_be(r, 2, out);
}

int byte_reader_fetch_be24(byte_reader_t *r, uint32_t *out) {
    return fetch_be(r, 3, out);
}

int byte_reader_fetch_be32(byte_reader_t *r, uint32_t *out) {
    return fetch_be(r, 4, out);
}

int byte_reader_fetch_bytes(byte_reader_t *r, size_t n, const uint8_t **out) {
    if (byte_reader_remaining(r) < n) {
        return BYTE_READER_SHORT;
    }
    *out = byte_reader_cursor(r);
    r->offset += n;
    return BYTE_READER_OK;
}

int byte_reader_skip(byte_reader_t *r, size_t n) {
    if (byte_reader_remaining(r) < n) {
        return BYTE_READER_SHORT;
    }
    r->offset += n;
    return BYTE_READER_OK;
}
