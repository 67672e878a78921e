#include "core/commons/utf8.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(Utf8Encode, Rows) {
    struct Row {
        int64_t code_point;
        std::string bytes;
    };
    const Row rows[] = {
        {0x00, std::string(1, '\0')},
        {0x41, "A"},
        {0x7f, "\x7f"},
        {0x80, "\xc2\x80"},
        {0x7ff, "\xdf\xbf"},
        {0x800, "\xe0\xa0\x80"},
        {0x20ac, "\xe2\x82\xac"},
        {0xffff, "\xef\xbf\xbf"},
        {0x10000, "\xf0\x90\x80\x80"},
        {0x10ffff, "\xf4\x8f\xbf\xbf"},
        {0x1fffff, "\xf7\xbf\xbf\xbf"},
        {0x200000, "\xf8\x88\x80\x80\x80"},
        {0x3ffffff, "\xfb\xbf\xbf\xbf\xbf"},
        {0x4000000, "\xfc\x84\x80\x80\x80\x80"},
        {0x7fffffff, "\xfd\xbf\xbf\xbf\xbf\xbf"},
        {-1, ""},
        {0x80000000, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << row.code_point);
        char buf[8] = {};
        size_t n = utf8_encode(row.code_point, buf, sizeof buf);
        EXPECT_EQ(std::string(buf, n), row.bytes);
        if (!row.bytes.empty()) {
            // One byte short of the encoding: nothing fits.
            EXPECT_EQ(utf8_encode(row.code_point, buf, row.bytes.size() - 1), 0u);
        }
    }
}

TEST(Utf8ToUtf16, Rows) {
    struct Row {
        const char *name;
        std::string text;
        std::u16string units;
    };
    const Row rows[] = {
        {"empty", "", u""},
        {"ASCII", "abc", u"abc"},
        {"BMP", "\xe2\x82\xac\xc3\xa9", u"\u20ac\u00e9"},
        {"astral: surrogate pair", "\xf0\x9f\x98\x80", u"\xd83d\xde00"},
        {"lone continuation byte", "a\x80z", u"a\xfffdz"},
        {"truncated sequence", "\xe2\x82", u"\xfffd"},
        {"overlong form", "\xc0\xaf", u"\xfffd\xfffd"},
        {"encoded surrogate", "\xed\xa0\x80", u"\xfffd\xfffd\xfffd"},
        {"above U+10FFFF", "\xf4\x90\x80\x80", u"\xfffd\xfffd\xfffd\xfffd"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        size_t units = 99;
        char16_t *out = utf8_to_utf16(row.text.data(), row.text.size(), nullptr, 0, &units);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(std::u16string(out, units), row.units);
        EXPECT_EQ(out[units], u'\0');
        free(out);
    }
}

TEST(Utf8ToUtf16, CallerBufferOrHeap) {
    struct Row {
        const char *name;
        size_t buf_units;
        bool uses_caller_buffer;
    };
    // "h\xc3\xa9!" is 4 bytes: a buffer of 5 units always fits.
    const Row rows[] = {
        {"large enough", 5, true},
        {"larger", 16, true},
        {"too small: heap", 4, false},
        {"none: heap", 0, false},
    };
    const std::string text = "h\xc3\xa9!";
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        char16_t buf[16];
        size_t units = 0;
        char16_t *out = utf8_to_utf16(text.data(), text.size(), buf, row.buf_units, &units);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(out == buf, row.uses_caller_buffer);
        EXPECT_EQ(std::u16string(out, units), u"h\u00e9!");
        if (out != buf) {
            free(out);
        }
    }
}

}  // namespace
