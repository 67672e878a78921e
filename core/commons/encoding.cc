#include "core/commons/encoding.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>

namespace {

// Constant-initialised, so uuid_v4 works even from another file's static
// initialisation, and trivially destructible, so it also works at exit.
constinit std::once_flag g_uuid_seeded;
constinit std::mutex g_uuid_mutex;
constinit std::optional<std::mt19937> g_uuid_engine;

void seed_uuid_engine() {
    // 256 bits from the device: a single 32-bit seed would allow only 2^32
    // distinct UUID streams across all processes.
    std::random_device device;
    std::array<uint32_t, 8> words;
    for (uint32_t &word : words) {
        word = static_cast<uint32_t>(device());
    }
    std::seed_seq seq(words.begin(), words.end());
    g_uuid_engine.emplace(seq);
}

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kNotBase64 = 0xff;

constexpr std::array<uint8_t, 256> make_base64_values() {
    std::array<uint8_t, 256> values{};
    values.fill(kNotBase64);
    for (uint8_t i = 0; i < 64; ++i) {
        values[static_cast<uint8_t>(kBase64Alphabet[i])] = i;
    }
    return values;
}

constexpr std::array<uint8_t, 256> kBase64Values = make_base64_values();

uint32_t base64_value(char c) {
    return kBase64Values[static_cast<uint8_t>(c)];
}

constexpr char kHexLower[] = "0123456789abcdef";
constexpr char kHexUpper[] = "0123456789ABCDEF";

// Value of a hexadecimal digit of either case, or 16 for any other byte (so
// the result also rejects the byte for every smaller base).
unsigned digit_value(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    return 16;
}

bool is_hex_digit(char c) {
    return digit_value(c) < 16;
}

template <typename T>
void store_as(void *out, uint64_t bits) {
    // The conversion keeps the low bits (two's complement for signed types).
    T value = static_cast<T>(bits);
    memcpy(out, &value, sizeof value);
}

void store_integer(void *out, uint64_t bits, size_t size, bool is_signed) {
    switch (size) {
        case 1:
            return is_signed ? store_as<int8_t>(out, bits) : store_as<uint8_t>(out, bits);
        case 2:
            return is_signed ? store_as<int16_t>(out, bits) : store_as<uint16_t>(out, bits);
        case 4:
            return is_signed ? store_as<int32_t>(out, bits) : store_as<uint32_t>(out, bits);
        default:
            return is_signed ? store_as<int64_t>(out, bits) : store_as<uint64_t>(out, bits);
    }
}

}  // namespace

std::string uuid_v4() {
    std::call_once(g_uuid_seeded, seed_uuid_engine);
    uint32_t w[4];
    {
        std::lock_guard<std::mutex> lock(g_uuid_mutex);
        for (uint32_t &word : w) {
            word = static_cast<uint32_t>((*g_uuid_engine)());
        }
    }
    char text[37];
    snprintf(text, sizeof text, "%04x%04x-%04x-%04x-%04x-%04x%04x%04x", w[0] & 0xffff, w[0] >> 16,
             w[1] & 0xffff, ((w[1] >> 16) & 0x0fff) | 0x4000, (w[2] & 0x3fff) | 0x8000, w[2] >> 16,
             w[3] & 0xffff, w[3] >> 16);
    return text;
}

std::string base64_encode(const void *data, size_t len) {
    const auto *in = static_cast<const uint8_t *>(data);
    std::string out;
    out.reserve((len + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= len; i += 3) {
        uint32_t group = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8) | in[i + 2];
        out += kBase64Alphabet[group >> 18];
        out += kBase64Alphabet[(group >> 12) & 0x3f];
        out += kBase64Alphabet[(group >> 6) & 0x3f];
        out += kBase64Alphabet[group & 0x3f];
    }
    if (i < len) {
        bool two = i + 1 < len;
        uint32_t group = (uint32_t{in[i]} << 16) | (two ? uint32_t{in[i + 1]} << 8 : 0);
        out += kBase64Alphabet[group >> 18];
        out += kBase64Alphabet[(group >> 12) & 0x3f];
        out += two ? kBase64Alphabet[(group >> 6) & 0x3f] : '=';
        out += '=';
    }
    return out;
}

ptrdiff_t base64_decode(std::string_view text, uint8_t *out, size_t cap) {
    // Padding only marks the end: what follows the first '=' is ignored.
    std::string_view body = text.substr(0, text.find('='));
    for (char c : body) {
        if (base64_value(c) == kNotBase64) {
            return -1;
        }
    }
    size_t rest = body.size() % 4;
    if (rest == 1) {
        return -1;
    }
    size_t len = body.size() / 4 * 3 + (rest != 0 ? rest - 1 : 0);
    if (cap < len) {
        return static_cast<ptrdiff_t>(len);
    }
    size_t i = 0, o = 0;
    for (; i + 4 <= body.size(); i += 4) {
        uint32_t group = (base64_value(body[i]) << 18) | (base64_value(body[i + 1]) << 12) |
                         (base64_value(body[i + 2]) << 6) | base64_value(body[i + 3]);
        out[o++] = static_cast<uint8_t>(group >> 16);
        out[o++] = static_cast<uint8_t>(group >> 8);
        out[o++] = static_cast<uint8_t>(group);
    }
    if (rest != 0) {
        uint32_t group = (base64_value(body[i]) << 18) | (base64_value(body[i + 1]) << 12) |
                         (rest == 3 ? base64_value(body[i + 2]) << 6 : 0);
        out[o++] = static_cast<uint8_t>(group >> 16);
        if (rest == 3) {
            out[o++] = static_cast<uint8_t>(group >> 8);
        }
    }
    return static_cast<ptrdiff_t>(o);
}

std::optional<std::string> base64_decode_string(std::string_view text) {
    ptrdiff_t len = base64_decode(text, nullptr, 0);
    if (len < 0) {
        return std::nullopt;
    }
    std::string out(static_cast<size_t>(len), '\0');
    base64_decode(text, reinterpret_cast<uint8_t *>(out.data()), out.size());
    return out;
}

std::string hex_encode(const void *data, size_t len) {
    const auto *in = static_cast<const uint8_t *>(data);
    std::string out;
    out.reserve(len * 2);
    for (size_t i = 0; i < len; ++i) {
        out += kHexLower[in[i] >> 4];
        out += kHexLower[in[i] & 0x0f];
    }
    return out;
}

std::string percent_decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        if (text.size() - i < 3) {
            return {};
        }
        unsigned hi = digit_value(text[i + 1]), lo = digit_value(text[i + 2]);
        if (hi > 15 || lo > 15 || (hi | lo) == 0) {
            return {};
        }
        out.push_back(static_cast<char>((hi << 4) | lo));
        i += 2;
    }
    return out;
}

std::string percent_encode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     std::string_view("-._~/").find(c) != std::string_view::npos;
        if (plain) {
            out.push_back(c);
        } else {
            unsigned byte = static_cast<unsigned char>(c);
            out += {'%', kHexUpper[byte >> 4], kHexUpper[byte & 15]};
        }
    }
    return out;
}

std::string hex_decode(std::string_view text) {
    if (text.size() % 2 != 0) {
        return {};
    }
    std::string out(text.size() / 2, '\0');
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned hi = digit_value(text[2 * i]), lo = digit_value(text[2 * i + 1]);
        if (hi > 15 || lo > 15) {
            return {};
        }
        out[i] = static_cast<char>((hi << 4) | lo);
    }
    return out;
}

std::string host_for_url(std::string_view host) {
    size_t colons = 0;
    for (char c : host) {
        if (c == ':') {
            ++colons;
        } else if (c != '.' && !is_hex_digit(c)) {
            return std::string(host);
        }
    }
    // Two colons at least: "a:b" could still be a host with a port.
    if (colons < 2) {
        return std::string(host);
    }
    std::string bracketed;
    bracketed.reserve(host.size() + 2);
    bracketed += '[';
    bracketed += host;
    bracketed += ']';
    return bracketed;
}

int parse_ipv4(std::string_view text, uint8_t out[4]) {
    uint8_t bytes[4];
    size_t pos = 0;
    for (int group = 0; group < 4; ++group) {
        if (group > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return -1;
            }
            ++pos;
        }
        unsigned value = 0, digits = 0;
        while (pos < text.size() && digits < 4 && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[pos++] - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) {
            return -1;
        }
        bytes[group] = static_cast<uint8_t>(value);
    }
    if (pos != text.size()) {
        return -1;
    }
    memcpy(out, bytes, sizeof bytes);
    return 0;
}

size_t parse_integer(std::string_view text, unsigned flags, void *out) {
    size_t size = flags & PARSE_INT_SIZE_MASK;
    if (size != 1 && size != 2 && size != 4 && size != 8) {
        return 0;
    }
    bool is_signed = (flags & PARSE_INT_SIGNED) != 0;
    bool negative = false;
    size_t pos = 0;
    if (is_signed && !text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        pos = 1;
    }
    unsigned base = (flags & PARSE_INT_HEX) ? 16 : (flags & PARSE_INT_OCTAL) ? 8 : 10;
    size_t max_digits = base == 16 ? 16 : base == 8 ? 22 : 20;
    size_t start = pos;
    uint64_t magnitude = 0;
    while (pos < text.size() && pos - start < max_digits) {
        unsigned digit = digit_value(text[pos]);
        if (digit >= base) {
            break;
        }
        if (magnitude > (UINT64_MAX - digit) / base) {
            return 0;
        }
        magnitude = magnitude * base + digit;
        ++pos;
    }
    if (pos == start) {
        return 0;
    }
    unsigned bits = static_cast<unsigned>(size * 8);
    uint64_t limit = bits == 64 ? UINT64_MAX : (uint64_t{1} << bits) - 1;
    if (is_signed) {
        // The negative range reaches one further: -2^(bits-1).
        limit = (uint64_t{1} << (bits - 1)) - (negative ? 0 : 1);
    }
    if (magnitude > limit) {
        return 0;
    }
    if (out != nullptr) {
        store_integer(out, negative ? 0 - magnitude : magnitude, size, is_signed);
    }
    return pos;
}

size_t format_integer(uint64_t value, char *buf, size_t cap, unsigned flags) {
    bool negative = (flags & FORMAT_INT_SIGNED) && static_cast<int64_t>(value) < 0;
    uint64_t magnitude = negative ? 0 - value : value;
    unsigned base = 10;
    const char *digits = kHexLower;
    if (flags & FORMAT_INT_OCTAL) {
        base = 8;
    } else if (flags & FORMAT_INT_HEX_LOWER) {
        base = 16;
    } else if (flags & FORMAT_INT_HEX_UPPER) {
        base = 16;
        digits = kHexUpper;
    }
    char text[FORMAT_INT_MAX];
    size_t pos = sizeof text;
    do {
        text[--pos] = digits[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    if (negative) {
        text[--pos] = '-';
    } else if (flags & FORMAT_INT_FORCE_SIGN) {
        text[--pos] = '+';
    }
    size_t len = sizeof text - pos;
    if (cap < len + 1) {
        return 0;
    }
    memcpy(buf, text + pos, len);
    buf[len] = '\0';
    return len;
}

std::string string_format(const char *format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    // Most texts fit on the stack, which saves formatting them twice.
    char small[256];
    int n = vsnprintf(small, sizeof small, format, measure);
    va_end(measure);
    std::string out;
    if (n >= 0 && static_cast<size_t>(n) < sizeof small) {
        out.assign(small, static_cast<size_t>(n));
    } else if (n > 0) {
        out.resize(static_cast<size_t>(n));
        vsnprintf(out.data(), out.size() + 1, format, args);
    }
    va_end(args);
    return out;
}
