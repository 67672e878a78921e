#include "core/commons/utf8.h"

#include <cstdlib>

size_t utf8_encode(int64_t code_point, char *buf, size_t cap) {
    if (code_point < 0 || code_point > 0x7fffffff) {
        return 0;
    }
    auto cp = static_cast<uint32_t>(code_point);
    size_t n = cp < 0x80        ? 1
               : cp < 0x800     ? 2
               : cp < 0x10000   ? 3
               : cp < 0x200000  ? 4
               : cp < 0x4000000 ? 5
                                : 6;
    if (cap < n) {
        return 0;
    }
    if (n == 1) {
        buf[0] = static_cast<char>(cp);
        return 1;
    }
    static const uint8_t kLeadMarks[7] = {0, 0, 0xc0, 0xe0, 0xf0, 0xf8, 0xfc};
    for (size_t i = n - 1; i > 0; --i) {
        buf[i] = static_cast<char>(0x80 | (cp & 0x3f));
        cp >>= 6;
    }
    buf[0] = static_cast<char>(kLeadMarks[n] | cp);
    return n;
}

namespace {

// Decodes one well-formed UTF-8 sequence (RFC 3629: no overlongs, no
// surrogates, at most U+10FFFF). Returns its length and code point, or the
// length of the maximal ill-formed subpart with a code point of -1.
size_t decode_one(const uint8_t *p, size_t avail, int32_t *cp) {
    uint8_t b0 = p[0];
    *cp = -1;
    if (b0 < 0x80) {
        *cp = b0;
        return 1;
    }
    size_t need;
    uint32_t value;
    uint8_t lo = 0x80, hi = 0xbf;  // allowed range of the second byte
    if (b0 >= 0xc2 && b0 <= 0xdf) {
        need = 2, value = b0 & 0x1f;
    } else if (b0 >= 0xe0 && b0 <= 0xef) {
        need = 3, value = b0 & 0x0f;
        lo = b0 == 0xe0 ? 0xa0 : 0x80;
        hi = b0 == 0xed ? 0x9f : 0xbf;
    } else if (b0 >= 0xf0 && b0 <= 0xf4) {
        need = 4, value = b0 & 0x07;
        lo = b0 == 0xf0 ? 0x90 : 0x80;
        hi = b0 == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 1;
    }
    for (size_t i = 1; i < need; ++i) {
        if (i >= avail) {
            return i;
        }
        uint8_t b = p[i];
        uint8_t min = i == 1 ? lo : 0x80, max = i == 1 ? hi : 0xbf;
        if (b < min || b > max) {
            return i;
        }
        value = (value << 6) | (b & 0x3f);
    }
    *cp = static_cast<int32_t>(value);
    return need;
}

}  // namespace

char16_t *utf8_to_utf16(const char *text, size_t len, char16_t *buf, size_t buf_units,
                        size_t *out_units) {
    // Every input byte yields at most one UTF-16 unit, so len + 1 always fits.
    char16_t *out = buf;
    if (out == nullptr || buf_units < len + 1) {
        out = static_cast<char16_t *>(malloc((len + 1) * sizeof(char16_t)));
        if (out == nullptr) {
            return nullptr;
        }
    }
    const auto *p = reinterpret_cast<const uint8_t *>(text);
    size_t n = 0;
    for (size_t i = 0; i < len;) {
        int32_t cp;
        i += decode_one(p + i, len - i, &cp);
        if (cp < 0) {
            out[n++] = 0xfffd;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out[n++] = static_cast<char16_t>(0xd800 + (cp >> 10));
            out[n++] = static_cast<char16_t>(0xdc00 + (cp & 0x3ff));
        } else {
            out[n++] = static_cast<char16_t>(cp);
        }
    }
    out[n] = 0;
    if (out_units != nullptr) {
        *out_units = n;
    }
    return out;
}
