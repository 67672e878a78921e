#include "core/commons/encoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(UuidV4, FormatVersionAndVariantOverManyDraws) {
    const std::regex format(
        "^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$");
    std::set<std::string> seen;
    std::set<char> variants;
    for (int i = 0; i < 2000; ++i) {
        std::string uuid = uuid_v4();
        SCOPED_TRACE(uuid);
        ASSERT_TRUE(std::regex_match(uuid, format));
        variants.insert(uuid[19]);
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 2000u);
    // The two free variant bits take all four values over this many draws.
    EXPECT_EQ(variants, (std::set<char>{'8', '9', 'a', 'b'}));
}

TEST(Base64, EncodeRows) {
    struct Row {
        std::string bytes;
        std::string text;
    };
    const Row rows[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\x00\xff\xfe", 3), "AP/+"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(base64_encode(row.bytes.data(), row.bytes.size()), row.text);
    }
}

TEST(Base64, DecodeRows) {
    struct Row {
        const char *name;
        std::string text;
        std::optional<std::string> bytes;  // empty: the decode fails
    };
    const Row rows[] = {
        {"empty", "", std::string()},
        {"only padding", "==", std::string()},
        {"full group", "Zm9v", "foo"},
        {"two groups", "Zm9vYmFy", "foobar"},
        {"one padded byte", "Zg==", "f"},
        {"two padded bytes", "Zm8=", "fo"},
        {"remainder 2 without padding", "Zg", "f"},
        {"remainder 3 without padding", "Zm8", "fo"},
        {"bytes after padding ignored", "Zg==!! not base64", "f"},
        {"single padding then text", "Zm8=Zm9v", "fo"},
        {"high bytes", "AP/+", std::string("\x00\xff\xfe", 3)},
        {"five characters", "Zm9vY", std::nullopt},
        {"one character", "Z", std::nullopt},
        {"space inside", "Zm9v YmFy", std::nullopt},
        {"newline at end", "Zm9v\n", std::nullopt},
        {"url-safe alphabet", "Zm9v-_", std::nullopt},
        {"NUL byte", std::string("Zm\0v", 4), std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(base64_decode_string(row.text), row.bytes);
        ptrdiff_t expected = row.bytes ? static_cast<ptrdiff_t>(row.bytes->size()) : -1;
        EXPECT_EQ(base64_decode(row.text, nullptr, 0), expected);
    }
}

TEST(Base64, DecodeBufferSizes) {
    struct Row {
        const char *name;
        size_t cap;
        ptrdiff_t result;
        std::string buffer;  // the 8-byte buffer afterwards
    };
    // "Zm9vYmE=" decodes to the 5 bytes "fooba".
    const Row rows[] = {
        {"no room: length only", 0, 5, "########"},
        {"one short: length only", 4, 5, "########"},
        {"exact", 5, 5, "fooba###"},
        {"larger", 8, 5, "fooba###"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        uint8_t buffer[8];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(base64_decode("Zm9vYmE=", buffer, row.cap), row.result);
        EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), sizeof buffer), row.buffer);
    }
}

TEST(Base64, RoundTripsEveryByteAndLength) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    for (size_t len = 0; len <= bytes.size(); ++len) {
        SCOPED_TRACE(len);
        std::string text = base64_encode(bytes.data(), len);
        ASSERT_EQ(text.size(), 4 * ((len + 2) / 3));
        EXPECT_EQ(base64_decode_string(text), bytes.substr(0, len));
    }
}

TEST(Hex, EncodeRows) {
    struct Row {
        std::string bytes;
        std::string text;
    };
    const Row rows[] = {
        {"", ""},
        {"A", "41"},
        {std::string("\x00\x0f\xf0\xff", 4), "000ff0ff"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(hex_encode(row.bytes.data(), row.bytes.size()), row.text);
    }
}

TEST(Hex, DecodeRows) {
    struct Row {
        const char *text;
        std::string bytes;
    };
    const Row rows[] = {
        {"", ""},
        {"41", "A"},
        {"deadBEEF", "\xde\xad\xbe\xef"},
        {"000ff0ff", std::string("\x00\x0f\xf0\xff", 4)},
        {"414", ""},   // odd length
        {"4g", ""},    // not a digit
        {"0x41", ""},  // no prefix
        {" 41", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(hex_decode(row.text), row.bytes);
    }
}

TEST(PercentDecode, Rows) {
    struct Row {
        const char *text;
        std::string bytes;
    };
    const Row rows[] = {
        {"", ""},
        {"/a%20b/", "/a b/"},
        {"%2f%2F", "//"},
        {"a+b", "a+b"},  // "+" is not a space here
        {"%e4%b8%ad", "\xe4\xb8\xad"},
        {"%", ""},      // cut short
        {"ab%4", ""},   // cut short
        {"%zz", ""},    // not hex
        {"a%00b", ""},  // a NUL would cut C strings
        {"100%", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(percent_decode(row.text), row.bytes);
    }
}

TEST(PercentEncode, RoundTrips) {
    EXPECT_EQ(percent_encode("/a b/%?&=+~"), "/a%20b/%25%3F%26%3D%2B~");
    const std::string all_bytes = [] {
        std::string bytes;
        for (int c = 1; c < 256; ++c) {
            bytes.push_back(static_cast<char>(c));
        }
        return bytes;
    }();
    EXPECT_EQ(percent_decode(percent_encode(all_bytes)), all_bytes);
    EXPECT_EQ(percent_encode(std::string(1, '\0')), "%00");
}

TEST(HostForUrl, Rows) {
    struct Row {
        const char *host;
        const char *url_host;
    };
    const Row rows[] = {
        {"::1", "[::1]"},
        {"fe80::1:2", "[fe80::1:2]"},
        {"2001:DB8::ff", "[2001:DB8::ff]"},
        {"::ffff:192.168.0.1", "[::ffff:192.168.0.1]"},
        {"192.168.0.1", "192.168.0.1"},
        {"example.com", "example.com"},
        {"cafe:1", "cafe:1"},  // one colon: may be a host and a port
        {"[::1]", "[::1]"},    // already bracketed
        {"fe80::1%eth0", "fe80::1%eth0"},
        {"", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.host);
        EXPECT_EQ(host_for_url(row.host), row.url_host);
    }
}

TEST(ParseIpv4, Rows) {
    struct Row {
        const char *text;
        int result;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"1.2.3.4", 0, {1, 2, 3, 4}},
        {"0.0.0.0", 0, {0, 0, 0, 0}},
        {"255.255.255.255", 0, {255, 255, 255, 255}},
        {"192.168.001.010", 0, {192, 168, 1, 10}},
        {"256.1.1.1", -1, {}},
        {"1.2.3", -1, {}},
        {"1.2.3.4.5", -1, {}},
        {"01234.1.1.1", -1, {}},
        {"1.2.3.", -1, {}},
        {".1.2.3", -1, {}},
        {"1..2.3", -1, {}},
        {"1.2.3.4 ", -1, {}},
        {"-1.2.3.4", -1, {}},
        {"1.2.3.a", -1, {}},
        {"", -1, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        uint8_t out[4] = {9, 9, 9, 9};
        ASSERT_EQ(parse_ipv4(row.text, out), row.result);
        std::vector<uint8_t> expected = row.result == 0 ? row.bytes : std::vector<uint8_t>(4, 9);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 4), expected);
    }
}

// The parsed value, widened: signed sizes sign-extend.
struct Parsed {
    size_t consumed;
    int64_t value;
    bool operator==(const Parsed &) const = default;
};

void PrintTo(const Parsed &p, std::ostream *os) {
    *os << "{" << p.consumed << ", " << p.value << "}";
}

Parsed Parse(std::string_view text, unsigned flags) {
    unsigned char out[8];
    memset(out, 0xa5, sizeof out);
    size_t consumed = parse_integer(text, flags, out);
    if (consumed == 0) {
        return {0, 0};
    }
    bool is_signed = (flags & PARSE_INT_SIGNED) != 0;
    auto load = [&](auto value) {
        memcpy(&value, out, sizeof value);
        return static_cast<int64_t>(value);
    };
    switch (flags & PARSE_INT_SIZE_MASK) {
        case 1:
            return {consumed, is_signed ? load(int8_t{}) : load(uint8_t{})};
        case 2:
            return {consumed, is_signed ? load(int16_t{}) : load(uint16_t{})};
        case 4:
            return {consumed, is_signed ? load(int32_t{}) : load(uint32_t{})};
        default:
            return {consumed, load(int64_t{})};
    }
}

TEST(ParseInteger, Rows) {
    struct Row {
        const char *text;
        unsigned flags;
        Parsed parsed;
    };
    const Row rows[] = {
        {"300", 1, {0, 0}},
        {"255", 1, {3, 255}},
        {"0", 1, {1, 0}},
        {"127", 0x11, {3, 127}},
        {"128", 0x11, {0, 0}},
        {"-128", 0x11, {4, -128}},
        {"-129", 0x11, {0, 0}},
        {"+7", 0x11, {2, 7}},
        {"-0", 0x12, {2, 0}},
        {"-1", 1, {0, 0}},  // no sign without 0x10
        {"+1", 2, {0, 0}},
        {"-", 0x14, {0, 0}},
        {"", 4, {0, 0}},
        {"x1", 4, {0, 0}},
        {"65535", 2, {5, 65535}},
        {"65536", 2, {0, 0}},
        {"-32768", 0x12, {6, -32768}},
        {"4294967295", 4, {10, 4294967295}},
        {"4294967296", 4, {0, 0}},
        {"-2147483648", 0x14, {11, INT32_MIN}},
        {"2147483648", 0x14, {0, 0}},
        {"9223372036854775807", 0x18, {19, INT64_MAX}},
        {"-9223372036854775808", 0x18, {20, INT64_MIN}},
        {"9223372036854775808", 0x18, {0, 0}},
        {"-9223372036854775809", 0x18, {0, 0}},
        {"18446744073709551615", 8, {20, -1}},  // UINT64_MAX, shown as int64
        {"18446744073709551616", 8, {0, 0}},
        {"99999999999999999999", 8, {0, 0}},
        {"20000000000000000000", 8, {0, 0}},
        {"000000000000000000001", 8, {20, 0}},  // stops after 20 digits
        {"42abc", 4, {2, 42}},
        {"12 34", 4, {2, 12}},
        {"ff", 0x21, {2, 255}},
        {"FF", 0x21, {2, 255}},
        {"100", 0x21, {0, 0}},
        {"-80", 0x31, {3, -128}},
        {"-81", 0x31, {0, 0}},
        {"ffffffffffffffff", 0x28, {16, -1}},
        {"7fffffffffffffff", 0x38, {16, INT64_MAX}},
        {"8000000000000000", 0x38, {0, 0}},
        {"0000000000000000f", 0x28, {16, 0}},  // stops after 16 digits
        {"0x10", 0x24, {1, 0}},
        {"fg", 0x24, {1, 15}},
        {"377", 0x41, {3, 255}},
        {"400", 0x41, {0, 0}},
        {"1777777777777777777777", 0x48, {22, -1}},    // UINT64_MAX
        {"2000000000000000000000", 0x48, {0, 0}},      // 2^64
        {"7777777777777777777777", 0x48, {0, 0}},      // 2^66 - 1
        {"0000000000000000000000017", 0x48, {22, 0}},  // stops after 22 digits
        {"78", 0x44, {1, 7}},
        {"-777", 0x52, {4, -511}},
        {"ff", 0x61, {2, 255}},  // hex wins over octal
        {"1", 0, {0, 0}},        // size 0
        {"1", 3, {0, 0}},
        {"1", 16 | 0x0f, {0, 0}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.text << " flags 0x" << std::hex << row.flags);
        EXPECT_EQ(Parse(row.text, row.flags), row.parsed);
    }
}

TEST(ParseInteger, WritesExactlyTheFlaggedSize) {
    for (unsigned size : {1u, 2u, 4u, 8u}) {
        SCOPED_TRACE(size);
        unsigned char out[8];
        memset(out, 0xa5, sizeof out);
        ASSERT_EQ(parse_integer("0", size, out), 1u);
        for (unsigned i = 0; i < sizeof out; ++i) {
            EXPECT_EQ(out[i], i < size ? 0 : 0xa5);
        }
    }
    EXPECT_EQ(parse_integer("12", 4, nullptr), 2u);
}

TEST(FormatInteger, Rows) {
    struct Row {
        uint64_t value;
        unsigned flags;
        const char *text;
    };
    const Row rows[] = {
        {0, 0, "0"},
        {1234567890, 0, "1234567890"},
        {UINT64_MAX, 0, "18446744073709551615"},
        {UINT64_MAX, FORMAT_INT_SIGNED, "-1"},
        {static_cast<uint64_t>(INT64_MIN), FORMAT_INT_SIGNED, "-9223372036854775808"},
        {static_cast<uint64_t>(INT64_MIN), 0, "9223372036854775808"},
        {42, FORMAT_INT_FORCE_SIGN, "+42"},
        {0, FORMAT_INT_SIGNED | FORMAT_INT_FORCE_SIGN, "+0"},
        {static_cast<uint64_t>(-5), FORMAT_INT_SIGNED | FORMAT_INT_FORCE_SIGN, "-5"},
        {255, FORMAT_INT_HEX_LOWER, "ff"},
        {0xabcdef, FORMAT_INT_HEX_UPPER, "ABCDEF"},
        {UINT64_MAX, FORMAT_INT_HEX_LOWER, "ffffffffffffffff"},
        {static_cast<uint64_t>(-255), FORMAT_INT_SIGNED | FORMAT_INT_HEX_LOWER, "-ff"},
        {8, FORMAT_INT_OCTAL, "10"},
        {UINT64_MAX, FORMAT_INT_OCTAL, "1777777777777777777777"},
        {UINT64_MAX, FORMAT_INT_OCTAL | FORMAT_INT_FORCE_SIGN, "+1777777777777777777777"},
        {255, FORMAT_INT_OCTAL | FORMAT_INT_HEX_LOWER, "377"},
        {255, FORMAT_INT_HEX_LOWER | FORMAT_INT_HEX_UPPER, "ff"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        char buf[FORMAT_INT_MAX];
        ASSERT_EQ(format_integer(row.value, buf, sizeof buf, row.flags), strlen(row.text));
        EXPECT_STREQ(buf, row.text);
    }
}

TEST(FormatInteger, TooSmallBufferWritesNothing) {
    struct Row {
        size_t cap;
        size_t result;
        const char *buffer;
    };
    // "-123" needs 5 bytes with its NUL.
    const Row rows[] = {{0, 0, "######"}, {4, 0, "######"}, {5, 4, "-123"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.cap);
        char buf[7] = "######";
        EXPECT_EQ(format_integer(static_cast<uint64_t>(-123), buf, row.cap, FORMAT_INT_SIGNED),
                  row.result);
        EXPECT_STREQ(buf, row.buffer);
    }
}

TEST(StringFormat, Rows) {
    std::string long_text(1000, 'x');
    struct Row {
        const char *name;
        std::string result;
        std::string expected;
    };
    const Row rows[] = {
        {"empty", string_format("%s", ""), ""},
        {"mixed", string_format("%s=%d/%05.1f", "n", -7, 2.25), "n=-7/002.2"},
        {"embedded NUL", string_format("a%cb", 0), std::string("a\0b", 3)},
        {"longer than the stack buffer", string_format("<%s>", long_text.c_str()),
         "<" + long_text + ">"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.result, row.expected);
    }
}

}  // namespace
