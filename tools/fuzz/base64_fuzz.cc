// Feeds arbitrary bytes to the decoders of core/commons/encoding.h: Base64
// (into buffers of every interesting size, each allocated exactly so that
// ASan sees a write past it), hexadecimal, integers under every flag
// combination and dotted quads. Where an encoder exists, checks that decoding
// its output gives the input back, and aborts on any mismatch.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/commons/encoding.h"

namespace {

void check(bool ok, const char *what) {
    if (!ok) {
        fprintf(stderr, "base64_fuzz: %s\n", what);
        abort();
    }
}

// Decodes into a heap buffer of exactly `cap` bytes filled with a marker and
// checks the result against the decoded bytes `expected` (empty: must fail).
void decode_into(std::string_view text, size_t cap, const std::optional<std::string> &expected) {
    auto buf = std::make_unique<uint8_t[]>(cap);
    memset(buf.get(), 0xa5, cap);
    ptrdiff_t len = base64_decode(text, buf.get(), cap);
    if (!expected) {
        check(len == -1, "decode succeeded where the string decode failed");
        return;
    }
    check(len == static_cast<ptrdiff_t>(expected->size()), "decoded length differs");
    size_t written = cap >= expected->size() ? expected->size() : 0;
    check(memcmp(buf.get(), expected->data(), written) == 0, "decoded bytes differ");
    for (size_t i = written; i < cap; ++i) {
        check(buf[i] == 0xa5, "decode wrote outside its result");
    }
}

void fuzz_base64(const uint8_t *data, size_t size) {
    std::string_view text(reinterpret_cast<const char *>(data), size);
    std::optional<std::string> decoded = base64_decode_string(text);
    size_t len = decoded ? decoded->size() : 0;
    for (size_t cap : {size_t{0}, len > 0 ? len - 1 : 0, len, len + 3}) {
        decode_into(text, cap, decoded);
    }
    if (decoded) {
        // A decodable text re-encodes to its own significant prefix, up to
        // the bits that padding drops.
        std::string again = base64_encode(decoded->data(), decoded->size());
        check(base64_decode_string(again) == decoded, "decode-encode-decode differs");
    }
    std::string encoded = base64_encode(data, size);
    check(encoded.size() == 4 * ((size + 2) / 3), "encoded length");
    std::optional<std::string> round = base64_decode_string(encoded);
    check(round && *round == text, "encode-decode round trip");
}

void fuzz_hex(const uint8_t *data, size_t size) {
    std::string_view text(reinterpret_cast<const char *>(data), size);
    std::string bytes = hex_decode(text);
    if (!bytes.empty()) {
        check(bytes.size() * 2 == size, "hex decoded length");
        std::string lower(text);
        for (char &c : lower) {
            c = c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        check(hex_encode(bytes.data(), bytes.size()) == lower, "hex decode-encode");
    }
    check(hex_decode(hex_encode(data, size)) == text, "hex encode-decode round trip");
}

// Parses under `flags`, then formats the value back in the same base and
// signedness and parses that: the value must survive.
void fuzz_integer(std::string_view text, unsigned flags) {
    unsigned char out[16];
    memset(out, 0xa5, sizeof out);
    size_t size = flags & PARSE_INT_SIZE_MASK;
    size_t used = parse_integer(text, flags, out);
    check(used <= text.size(), "integer consumed past the text");
    for (size_t i = (used != 0 ? size : 0); i < sizeof out; ++i) {
        check(out[i] == 0xa5, "integer written past its size");
    }
    if (used == 0) {
        return;
    }
    check(size == 1 || size == 2 || size == 4 || size == 8, "integer parsed with a bad size");
    bool is_signed = (flags & PARSE_INT_SIGNED) != 0;
    uint64_t value = 0;
    if (is_signed) {
        int64_t wide = 0;
        memcpy(&wide, out, size);
        // Sign-extend from `size` bytes.
        unsigned shift = static_cast<unsigned>(64 - size * 8);
        value = static_cast<uint64_t>(static_cast<int64_t>(static_cast<uint64_t>(wide) << shift) >>
                                      shift);
    } else {
        memcpy(&value, out, size);
    }
    unsigned format =
        (is_signed ? FORMAT_INT_SIGNED : 0u) | ((flags & PARSE_INT_HEX)     ? FORMAT_INT_HEX_LOWER
                                                : (flags & PARSE_INT_OCTAL) ? FORMAT_INT_OCTAL
                                                                            : 0u);
    char buf[FORMAT_INT_MAX];
    size_t len = format_integer(value, buf, sizeof buf, format);
    check(len > 0, "format_integer of a parsed value failed");
    unsigned char again[8] = {};
    check(parse_integer(std::string_view(buf, len), flags, again) == len, "reparse length");
    check(memcmp(again, out, size) == 0, "reparse value");
}

void fuzz_ipv4(std::string_view text) {
    uint8_t addr[4];
    if (parse_ipv4(text, addr) != 0) {
        return;
    }
    check(text.size() >= 7 && text.size() <= 15, "dotted quad length");
    char buf[16];
    int n = snprintf(buf, sizeof buf, "%u.%u.%u.%u", addr[0], addr[1], addr[2], addr[3]);
    uint8_t again[4];
    check(parse_ipv4(std::string_view(buf, static_cast<size_t>(n)), again) == 0, "ipv4 reparse");
    check(memcmp(addr, again, sizeof addr) == 0, "ipv4 reparse value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string_view text(reinterpret_cast<const char *>(data), size);
    fuzz_base64(data, size);
    fuzz_hex(data, size);
    // Every size (valid or not) with every combination of sign and base.
    for (unsigned size_bits = 0; size_bits <= PARSE_INT_SIZE_MASK; ++size_bits) {
        for (unsigned mode = 0; mode < 8; ++mode) {
            fuzz_integer(text, size_bits | (mode << 4));
        }
    }
    fuzz_ipv4(text);
    host_for_url(text);
    return 0;
}
