#include "core/commons/strview.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace strview {

namespace {

// The "C" locale's isspace set, fixed so that a host calling setlocale()
// cannot change how rules parse.
bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// 256-bit membership table of a byte set.
class ByteSet {
  public:
    explicit ByteSet(std::string_view set) {
        for (char c : set) {
            auto b = static_cast<uint8_t>(c);
            bits_[b >> 6] |= uint64_t{1} << (b & 63);
        }
    }
    bool contains(char c) const {
        auto b = static_cast<uint8_t>(c);
        return (bits_[b >> 6] >> (b & 63)) & 1;
    }

  private:
    uint64_t bits_[4] = {};
};

// One tokenizer for both directions: position i counts from the start, or
// from the end when `backward`, and the token is [begin, end) in those
// positions.
class TokenScanner {
  public:
    TokenScanner(std::string_view s, unsigned flags)
        : s_(s),
          flags_(flags),
          delim_(static_cast<char>(flags & TOKEN_DELIM_MASK)),
          backward_((flags & TOKEN_FROM_END) != 0) {}

    size_t scan(std::string_view *token) const {
        const size_t n = s_.size();
        size_t begin = 0;
        while (begin < n && (is_delim_run(at(begin)) || is_trim(at(begin)))) {
            ++begin;
        }
        size_t pos = begin;
        if ((flags_ & TOKEN_QUOTED) && pos < n && at(pos) == '"') {
            size_t close = pos + 1;
            while (close < n && at(close) != '"') {
                ++close;
            }
            if (close < n) {
                pos = close + 1;
            }
        }
        while (pos < n && !is_delim(at(pos))) {
            ++pos;
        }
        size_t end = pos;
        while (end > begin && is_trim(at(end - 1))) {
            --end;
        }
        size_t used = pos;
        if (pos < n) {
            used = pos + 1;
            while (used < n && is_delim_run(at(used))) {
                ++used;
            }
        }
        *token = backward_ ? s_.substr(n - end, end - begin) : s_.substr(begin, end - begin);
        return used;
    }

  private:
    char at(size_t i) const { return backward_ ? s_[s_.size() - 1 - i] : s_[i]; }
    bool whitespace() const { return (flags_ & TOKEN_WHITESPACE) != 0; }
    bool is_delim(char c) const { return whitespace() ? c == ' ' || c == '\t' : c == delim_; }
    // Bytes skipped as part of one delimiter: only whitespace runs merge.
    bool is_delim_run(char c) const { return whitespace() && is_delim(c); }
    bool is_trim(char c) const {
        if ((flags_ & TOKEN_NO_TRIM) || is_delim(c)) {
            return false;
        }
        return c == ' ' || (c == '\t' && (flags_ & TOKEN_TRIM_TABS));
    }

    std::string_view s_;
    unsigned flags_;
    char delim_;
    bool backward_;
};

}  // namespace

std::vector<std::string_view> split(std::string_view s, char delim, bool trim_pieces) {
    std::vector<std::string_view> pieces;
    while (!s.empty()) {
        size_t end = find_char(s, delim);
        std::string_view piece = s.substr(0, end);
        if (trim_pieces) {
            piece = trim(piece);
        }
        if (!piece.empty()) {
            pieces.push_back(piece);
        }
        s.remove_prefix(std::min(end + 1, s.size()));
    }
    return pieces;
}

std::pair<std::string_view, std::string_view> split_once(std::string_view s, char delim,
                                                         bool trim_parts) {
    size_t at = find_char(s, delim);
    std::string_view first = s.substr(0, at);
    std::string_view second = at < s.size() ? s.substr(at + 1) : std::string_view();
    if (trim_parts) {
        return {trim(first), trim(second)};
    }
    return {first, second};
}

std::string_view trim(std::string_view s) {
    size_t begin = 0, end = s.size();
    while (begin < end && is_space(s[begin])) {
        ++begin;
    }
    while (end > begin && is_space(s[end - 1])) {
        --end;
    }
    return s.substr(begin, end - begin);
}

std::string to_lower(std::string_view s) {
    std::string out(s);
    for (char &c : out) {
        c = fold(c);
    }
    return out;
}

bool equals_nocase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compare_nocase(a, b, a.size()) == 0;
}

bool starts_with_nocase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && compare_nocase(s, prefix, prefix.size()) == 0;
}

bool starts_with(std::string_view s, std::string_view prefix) {
    return s.starts_with(prefix);
}

bool ends_with(std::string_view s, std::string_view suffix) {
    return s.ends_with(suffix);
}

int compare_nocase(std::string_view a, std::string_view b, size_t n) {
    size_t la = std::min(n, a.size()), lb = std::min(n, b.size());
    size_t common = std::min(la, lb);
    for (size_t i = 0; i < common; ++i) {
        auto ca = static_cast<uint8_t>(fold(a[i])), cb = static_cast<uint8_t>(fold(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return la == lb ? 0 : la < lb ? -1 : 1;
}

size_t find_char(std::string_view s, char c) {
    const void *hit = s.empty() ? nullptr : memchr(s.data(), c, s.size());
    return hit != nullptr ? static_cast<size_t>(static_cast<const char *>(hit) - s.data())
                          : s.size();
}

size_t find_last_char(std::string_view s, char c) {
    size_t at = s.rfind(c);
    return at == std::string_view::npos ? s.size() : at;
}

size_t find_nocase(std::string_view s, std::string_view needle) {
    if (needle.size() > s.size()) {
        return s.size();
    }
    const char first = fold(needle.empty() ? '\0' : needle[0]);
    for (size_t i = 0; i + needle.size() <= s.size(); ++i) {
        if ((needle.empty() || fold(s[i]) == first) &&
            compare_nocase(s.substr(i), needle, needle.size()) == 0) {
            return i;
        }
    }
    return s.size();
}

size_t find_first_of(std::string_view s, std::string_view set) {
    ByteSet bytes(set);
    for (size_t i = 0; i < s.size(); ++i) {
        if (bytes.contains(s[i])) {
            return i;
        }
    }
    return s.size();
}

size_t find_last_of(std::string_view s, std::string_view set) {
    ByteSet bytes(set);
    for (size_t i = s.size(); i > 0; --i) {
        if (bytes.contains(s[i - 1])) {
            return i - 1;
        }
    }
    return s.size();
}

size_t next_token(std::string_view s, std::string_view *token, unsigned flags) {
    return TokenScanner(s, flags).scan(token);
}

std::string unescape(std::string_view s, char escape, std::string_view set) {
    ByteSet escapable(set);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == escape && i + 1 < s.size() && (set.empty() || escapable.contains(s[i + 1]))) {
            ++i;
        }
        out += s[i];
    }
    return out;
}

}  // namespace strview
