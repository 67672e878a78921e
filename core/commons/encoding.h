// Encoding helpers: random UUIDs, Base64 (RFC 4648) and hexadecimal codecs,
// host and IPv4 address text, integer parsing and formatting, and printf-style
// formatting into a string. Functions returning std::string hand ownership to
// the caller; the others write into caller buffers and never past `cap`.
// Every function is reentrant except uuid_v4, which shares one generator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/commons/logger.h"  // OV_PRINTF

// Returns a random version-4 UUID in lower case, "xxxxxxxx-xxxx-4xxx-Vxxx-xxxxxxxxxxxx"
// with V one of 8, 9, a, b. The process shares one MT19937 generator, seeded on
// first use from std::random_device under std::call_once. Concurrent callers
// draw under one mutex, held for all four words of a UUID: MT19937 keeps a
// single mutable state, and UUIDs are drawn a few at a time, so the lock is
// never contended enough to justify per-thread generators (which would each
// need their own seeding).
std::string uuid_v4();

// Returns the padded Base64 encoding of `len` bytes: 4 * ((len + 2) / 3) chars.
std::string base64_encode(const void *data, size_t len);

// Decodes Base64 text into `out` (room for `cap` bytes; may be null when `cap`
// is 0). Decoding stops at the first '=' and ignores what follows it. Returns
// the decoded length, or -1 when a byte before that point is outside the
// alphabet (whitespace included) or the significant characters leave a
// remainder of 1 modulo 4. When `cap` is smaller than the decoded length,
// nothing is written and only the length is returned, so a call with `cap` 0
// measures the output.
ptrdiff_t base64_decode(std::string_view text, uint8_t *out, size_t cap);

// Decodes Base64 text as base64_decode does. Returns the bytes, or an empty
// optional when the text does not decode.
std::optional<std::string> base64_decode_string(std::string_view text);

// Returns `len` bytes as lower-case hexadecimal, two digits per byte.
std::string hex_encode(const void *data, size_t len);

// Returns the bytes written as hexadecimal (either letter case), or an empty
// string for an odd length or a byte that is not a hexadecimal digit.
std::string hex_decode(std::string_view text);

// Decodes "%" followed by two hexadecimal digits (either case) into that byte
// and copies every other byte ("+" stays "+"). A truncated or malformed
// escape, or one that decodes to a zero byte, makes the whole result empty:
// a page must not smuggle a NUL into a C string through its query.
std::string percent_decode(std::string_view text);

// Writes every byte other than ASCII letters, digits and "-._~/" as "%XX"
// (upper-case digits), so that percent_decode() gives the text back.
std::string percent_encode(std::string_view text);

// Returns the host as it is written in a URL: a host made only of hexadecimal
// digits, '.' and ':' with at least two colons is an IPv6 address and comes
// back as "[host]"; any other host comes back unchanged.
std::string host_for_url(std::string_view host);

// Parses a dotted quad: four groups of one to three decimal digits, each at
// most 255, separated by '.', and nothing else. Returns 0 and fills `out` in
// network order on success; returns -1 and leaves `out` alone otherwise.
int parse_ipv4(std::string_view text, uint8_t out[4]);

// parse_integer flags; the low four bits give the result size in bytes.
constexpr unsigned PARSE_INT_SIZE_MASK = 0x0f;  // 1, 2, 4 or 8
constexpr unsigned PARSE_INT_SIGNED = 0x10;     // leading '+' or '-', signed range
constexpr unsigned PARSE_INT_HEX = 0x20;        // at most 16 digits, either case
constexpr unsigned PARSE_INT_OCTAL = 0x40;      // at most 22 digits
// Without PARSE_INT_HEX or PARSE_INT_OCTAL digits are decimal, at most 20.

// Parses an integer at the start of `text`. Reading stops at the first byte
// that is not a digit of the base, or once the base's digit limit is reached
// (the limits are the widest 64-bit values; the remaining bytes are left for
// the caller). The value must fit an integer of the flagged size, signed when
// PARSE_INT_SIGNED is given; HEX wins over OCTAL when both are set. On success
// writes the value to `*out` (an object of exactly that size and signedness,
// e.g. uint8_t for flags 1, int64_t for 0x18; may be null to only validate)
// and returns the bytes consumed, sign included. Returns 0 and leaves `*out`
// alone when there is no digit, the value does not fit or the size is not
// 1, 2, 4 or 8.
size_t parse_integer(std::string_view text, unsigned flags, void *out);

// format_integer flags.
constexpr unsigned FORMAT_INT_SIGNED = 0x01;      // the value is an int64_t
constexpr unsigned FORMAT_INT_HEX_LOWER = 0x02;   // lower-case hexadecimal
constexpr unsigned FORMAT_INT_HEX_UPPER = 0x04;   // upper-case hexadecimal
constexpr unsigned FORMAT_INT_OCTAL = 0x20;       // octal (wins over hexadecimal)
constexpr unsigned FORMAT_INT_FORCE_SIGN = 0x40;  // '+' before non-negative values
// Without a base flag the value is written in decimal. No prefix ("0x", "0")
// is written; a negative signed value is '-' and its magnitude in the base.

// Room that format_integer always fits in: sign, 22 octal digits and the NUL.
constexpr size_t FORMAT_INT_MAX = 24;

// Writes `value` as text followed by a NUL into `buf` (room for `cap` bytes).
// Returns the length without the NUL, or 0 when it does not fit (nothing is
// written then).
size_t format_integer(uint64_t value, char *buf, size_t cap, unsigned flags);

// Returns the printf-style formatting of the arguments; an empty string when
// the format is rejected by vsnprintf.
std::string string_format(const char *format, ...) OV_PRINTF(1, 2);
