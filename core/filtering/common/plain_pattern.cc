#include "core/filtering/common/plain_pattern.h"

#include <cstring>
#include <string_view>

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

struct Pattern {
    std::string_view body;  // between the anchors; '*' splits it into segments
    bool case_sensitive;
};

bool is_separator(unsigned char c) {
    bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                c == ' ' || c == '.' || c == '%' || c == '_' || c == '-';
    return !word;
}

// The host-anchor's subdomain class: letters, digits, '-', '_' and '.'.
bool is_host_char(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
}

char fold(char c, bool case_sensitive) {
    return case_sensitive || c < 'A' || c > 'Z' ? c : static_cast<char>(c - 'A' + 'a');
}

// Matches one '*'-free segment starting at `at`; returns its end or kNone.
// A separator matches a separator byte, or nothing at the end of the URL.
size_t segment_at(std::string_view segment, bool case_sensitive, std::string_view subject,
                  size_t at) {
    for (char c : segment) {
        if (c == '^') {
            if (at == subject.size()) {
                continue;
            }
            if (!is_separator(static_cast<unsigned char>(subject[at]))) {
                return kNone;
            }
        } else if (at == subject.size() || subject[at] != fold(c, case_sensitive)) {
            return kNone;
        }
        ++at;
    }
    return at;
}

// The leftmost match of the segment at or after `from`; returns its end or
// kNone. Leftmost is enough: an earlier match leaves more of the URL to the
// segments after it.
size_t find_segment(std::string_view segment, bool case_sensitive, std::string_view subject,
                    size_t from) {
    bool literal_head = !segment.empty() && segment[0] != '^';
    for (size_t start = from; start <= subject.size(); ++start) {
        if (literal_head) {
            // URLs are short: a plain scan beats a library call per retry.
            char head = fold(segment[0], case_sensitive);
            while (start < subject.size() && subject[start] != head) {
                ++start;
            }
            if (start == subject.size()) {
                return kNone;
            }
        }
        size_t end = segment_at(segment, case_sensitive, subject, start);
        if (end != kNone) {
            return end;
        }
    }
    return kNone;
}

// Whether the segment can end exactly at the end of the URL, starting at or
// after `from`. It consumes one byte per character except for separators
// matching the end, so only the last few starts can work.
bool segment_ends_url(std::string_view segment, bool case_sensitive, std::string_view subject,
                      size_t from) {
    size_t first = subject.size() > segment.size() ? subject.size() - segment.size() : 0;
    for (size_t start = first > from ? first : from; start <= subject.size(); ++start) {
        if (segment_at(segment, case_sensitive, subject, start) == subject.size()) {
            return true;
        }
    }
    return false;
}

// Matches the body from `at`: its first segment right there when `anchored`,
// anywhere after otherwise; its last segment ending the URL when
// `end_anchored`.
bool body_matches(const Pattern &p, std::string_view subject, size_t at, bool anchored,
                  bool end_anchored) {
    std::string_view rest = p.body;
    for (bool first = true;; first = false) {
        size_t star = rest.find('*');
        std::string_view segment = rest.substr(0, star);
        bool last = star == std::string_view::npos;
        if (last && end_anchored && !(first && anchored)) {
            return segment_ends_url(segment, p.case_sensitive, subject, at);
        }
        at = first && anchored ? segment_at(segment, p.case_sensitive, subject, at)
                               : find_segment(segment, p.case_sensitive, subject, at);
        if (at == kNone) {
            return false;
        }
        if (last) {
            return !end_anchored || at == subject.size();
        }
        rest.remove_prefix(star + 1);
    }
}

size_t scheme_length(std::string_view subject) {
    for (std::string_view scheme : {"http://", "https://", "ws://", "wss://"}) {
        if (subject.substr(0, scheme.size()) == scheme) {
            return scheme.size();
        }
    }
    return kNone;
}

// "||": a web scheme, then optionally any run of host characters ending in a
// dot, then the body right there.
bool host_anchored_matches(const Pattern &p, std::string_view subject, bool end_anchored) {
    size_t host = scheme_length(subject);
    if (host == kNone) {
        return false;
    }
    if (body_matches(p, subject, host, true, end_anchored)) {
        return true;
    }
    for (size_t i = host; i < subject.size() && is_host_char(subject[i]); ++i) {
        if (subject[i] == '.' && i > host && body_matches(p, subject, i + 1, true, end_anchored)) {
            return true;
        }
    }
    return false;
}

bool matches_everything(const char *pattern, size_t length) {
    return length == 0 || (length == 1 && (pattern[0] == '|' || pattern[0] == '*')) ||
           (length == 2 && pattern[0] == '|' && pattern[1] == '|');
}

}  // namespace

bool plain_pattern_supported(const char *pattern, size_t length) {
    if (length > PLAIN_PATTERN_MAX_LENGTH || memchr(pattern, '\0', length) != nullptr) {
        return false;
    }
    std::string_view p(pattern, length);
    if (p.size() >= 2 && p.front() == '/' && p.back() == '/') {
        return false;
    }
    return p.find("^?") == std::string_view::npos;
}

bool plain_pattern_match(const char *pattern, size_t length, bool case_sensitive,
                         const char *subject, size_t subject_length) {
    if (matches_everything(pattern, length)) {
        return true;
    }
    std::string_view body(pattern, length);
    bool host_anchored = body.substr(0, 2) == "||";
    bool start_anchored = !host_anchored && body.front() == '|';
    body.remove_prefix(host_anchored ? 2 : start_anchored ? 1 : 0);
    bool end_anchored = !body.empty() && body.back() == '|';
    if (end_anchored) {
        body.remove_suffix(1);
    }
    Pattern p{body, case_sensitive};
    std::string_view url(subject, subject_length);
    if (host_anchored) {
        return host_anchored_matches(p, url, end_anchored);
    }
    return body_matches(p, url, 0, start_anchored, end_anchored);
}
