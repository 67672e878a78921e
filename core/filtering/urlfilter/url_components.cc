#include "core/filtering/urlfilter/url_components.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

bool is_alpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

struct Writer {
    url_components_t *out;
    size_t used = 0;

    bool put(std::string_view part, url_part_t *dst) {
        if (used + part.size() + 1 > out->buffer.size()) {
            return false;
        }
        char *at = out->buffer.data() + used;
        memcpy(at, part.data(), part.size());
        at[part.size()] = '\0';
        *dst = {at, part.size()};
        used += part.size() + 1;
        return true;
    }
};

// The scheme: a letter, then letters, digits, '+', '-' or '.', then "://".
size_t scheme_length(std::string_view url) {
    if (url.empty() || !is_alpha(url[0])) {
        return 0;
    }
    size_t i = 1;
    while (i < url.size() && (is_alpha(url[i]) || is_digit(url[i]) || url[i] == '+' ||
                              url[i] == '-' || url[i] == '.')) {
        ++i;
    }
    return url.substr(i, 3) == "://" ? i : 0;
}

// The host ends at a delimiter, or after the ']' of a bracketed literal.
size_t host_length(std::string_view rest) {
    if (!rest.empty() && rest[0] == '[') {
        size_t close = rest.find(']');
        return close == std::string_view::npos ? rest.size() : close + 1;
    }
    // A byte table: find_first_of() would search the delimiter set once per
    // byte of the host.
    static constexpr auto kDelimiters = [] {
        std::array<bool, 256> table{};
        for (unsigned char c : std::string_view(":/?#[]@!$&'()*+,;=")) {
            table[c] = true;
        }
        return table;
    }();
    size_t end = 0;
    while (end < rest.size() && !kDelimiters[static_cast<unsigned char>(rest[end])]) {
        ++end;
    }
    return end;
}

size_t path_length(std::string_view rest) {
    size_t end = 0;
    while (end < rest.size() && rest[end] != '?' && rest[end] != '#') {
        ++end;
    }
    return end;
}

}  // namespace

int url_components_parse(const char *url, size_t length, url_components_t *out) {
    std::string_view u(url, length);
    // The parts hold at most the URL's bytes plus one NUL each.
    out->buffer.resize(std::min(length + 8, URL_COMPONENTS_MAX));
    Writer w{out};
    for (url_part_t *part : {&out->scheme, &out->user, &out->password, &out->host, &out->port,
                             &out->path, &out->query, &out->fragment}) {
        *part = {"", 0};
    }
    size_t scheme = scheme_length(u);
    if (scheme == 0 || !w.put(u.substr(0, scheme), &out->scheme)) {
        return -1;
    }
    std::string_view rest = u.substr(scheme + 3);
    // Userinfo: up to the last '@' before the first '/'.
    size_t slash = rest.find('/');
    size_t at = rest.substr(0, slash).rfind('@');
    if (at != std::string_view::npos) {
        std::string_view info = rest.substr(0, at);
        size_t colon = info.find(':');
        if (!w.put(info.substr(0, colon), &out->user) ||
            (colon != std::string_view::npos && !w.put(info.substr(colon + 1), &out->password))) {
            return -1;
        }
        rest.remove_prefix(at + 1);
    }
    size_t host = host_length(rest);
    if (host == 0 || !w.put(rest.substr(0, host), &out->host)) {
        return -1;
    }
    rest.remove_prefix(host);
    if (!rest.empty() && rest[0] == ':') {
        size_t digits = 1;
        while (digits < rest.size() && is_digit(rest[digits])) {
            ++digits;
        }
        if (digits == 1 || !w.put(rest.substr(1, digits - 1), &out->port)) {
            return -1;
        }
        rest.remove_prefix(digits);
    }
    std::string_view path = rest.substr(0, path_length(rest));
    if (!path.empty() && path[0] == '/' && !w.put(path, &out->path)) {
        return -1;
    }
    rest.remove_prefix(path.size());
    if (!rest.empty() && rest[0] == '?') {
        size_t hash = rest.find('#');
        if (!w.put(rest.substr(1, hash == std::string_view::npos ? hash : hash - 1), &out->query)) {
            return -1;
        }
        rest.remove_prefix(hash == std::string_view::npos ? rest.size() : hash);
    }
    if (!rest.empty() && rest[0] == '#' && !w.put(rest.substr(1), &out->fragment)) {
        return -1;
    }
    return 0;
}
