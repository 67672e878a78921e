// Splits a request URL into the parts rules look at:
//   scheme "://" [user [":" password] "@"] host [":" port] [path] ["?" query] ["#" fragment]
// Every part is copied NUL-terminated into one buffer of at most
// URL_COMPONENTS_MAX bytes: a URL whose parts do not fit does not parse.
#pragma once

#include <cstddef>
#include <string>

constexpr size_t URL_COMPONENTS_MAX = 16384;

struct url_part_t {
    const char *text;  // NUL-terminated, inside the record's buffer
    size_t length;
};

struct url_components_t {
    url_part_t scheme, user, password, host, port, path, query, fragment;
    std::string buffer;  // sized for the URL at hand, never reallocated after parsing
};

// Returns 0 when the URL parses, -1 otherwise (no "://", bad scheme, empty
// host, a ':' after the host without a port number, or too long).
int url_components_parse(const char *url, size_t length, url_components_t *out);
