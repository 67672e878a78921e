// String-view helpers for the rule and header parsers: splitting, trimming,
// ASCII case folding, comparisons, searches, a tokenizer and unescaping.
// Views returned point into the caller's text and live as long as it does;
// std::string results are owned by the caller. No helper allocates unless it
// returns a std::string or a vector, and none depends on the C locale: "space"
// and "lower case" are fixed to what the "C" locale's isspace/tolower give.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace strview {

// Returns the pieces between occurrences of `delim`, each trimmed (as trim())
// when `trim_pieces` is set. Empty pieces (after trimming) are dropped.
std::vector<std::string_view> split(std::string_view s, char delim, bool trim_pieces);

// Returns the parts before and after the first `delim`; without one the first
// part is the whole view and the second is empty. Both are trimmed when
// `trim_parts` is set.
std::pair<std::string_view, std::string_view> split_once(std::string_view s, char delim,
                                                         bool trim_parts);

// Returns the view without leading and trailing space, \t, \n, \v, \f, \r.
std::string_view trim(std::string_view s);

// Returns a copy with 'A'-'Z' lower-cased; other bytes are kept.
std::string to_lower(std::string_view s);

// True when both views have the same length and are equal ignoring ASCII case.
bool equals_nocase(std::string_view a, std::string_view b);

// Prefix and suffix tests; the first ignores ASCII case.
bool starts_with_nocase(std::string_view s, std::string_view prefix);
bool starts_with(std::string_view s, std::string_view prefix);
bool ends_with(std::string_view s, std::string_view suffix);

// Compares the first `n` bytes of `a` and `b` (fewer when a view is shorter;
// then the shorter view sorts first when the rest is equal) as unsigned bytes
// with 'A'-'Z' folded to lower case. Returns -1, 0 or 1.
int compare_nocase(std::string_view a, std::string_view b, size_t n);

// Searches. Each returns the position found, or s.size() when there is none
// (so the result can always be used as the end of a prefix).
size_t find_char(std::string_view s, char c);
size_t find_last_char(std::string_view s, char c);
// First occurrence of `needle` ignoring ASCII case; an empty needle is at 0.
size_t find_nocase(std::string_view s, std::string_view needle);
// First and last byte that is one of `set`.
size_t find_first_of(std::string_view s, std::string_view set);
size_t find_last_of(std::string_view s, std::string_view set);

// next_token flags; the low byte is the delimiter character.
constexpr unsigned TOKEN_DELIM_MASK = 0xff;
constexpr unsigned TOKEN_QUOTED = 0x100;       // a token starting with '"' runs to the next '"'
constexpr unsigned TOKEN_NO_TRIM = 0x200;      // keep the token's surrounding spaces
constexpr unsigned TOKEN_FROM_END = 0x400;     // take the last token instead of the first
constexpr unsigned TOKEN_TRIM_TABS = 0x800;    // trim tabs as well as spaces
constexpr unsigned TOKEN_WHITESPACE = 0x1000;  // runs of spaces and tabs delimit

// Takes the first token of `s` (the last one with TOKEN_FROM_END) into
// `*token` and returns how many bytes of `s` it used up, counted from the
// start (from the end with TOKEN_FROM_END): the token, the trimmed bytes around
// it and the delimiter that ended it. The caller drops that many bytes and
// calls again until the view is empty; the result is 0 only for an empty view.
//
// - The token ends at the delimiter (low byte of `flags`), or with
//   TOKEN_WHITESPACE at a space or tab; there a whole run of spaces and tabs
//   counts as one delimiter, both before the token and after it.
// - Unless TOKEN_NO_TRIM is given, spaces (spaces and tabs with
//   TOKEN_TRIM_TABS) around the token are trimmed; trimming never removes the
//   delimiter itself, so "a,,b" still yields an empty middle token.
// - With TOKEN_QUOTED, a token whose first byte (after trimming) is '"' keeps
//   delimiters up to the next '"' (with TOKEN_FROM_END: a token whose last
//   byte is '"' keeps them back to the previous '"'). The quotes stay in the
//   token; an unmatched quote is an ordinary byte.
// - A view ending with a delimiter yields no empty token after it.
size_t next_token(std::string_view s, std::string_view *token, unsigned flags);

// Returns a copy of `s` in which an `escape` byte is dropped when another byte
// follows it and that byte is in `set` (any byte when `set` is empty); the
// following byte is then copied as it is, so an escaped escape byte stays.
// Other escape bytes, and one that ends the text, are copied.
std::string unescape(std::string_view s, char escape, std::string_view set);

}  // namespace strview
