#include "core/proxy/directory_url.h"

#include <http_parser.h>

namespace {

bool split_url(std::string_view url, http_parser_url *parts) {
    http_parser_url_init(parts);
    return http_parser_parse_url(url.data(), url.size(), 0, parts) == 0;
}

bool has_field(const http_parser_url &parts, int field) {
    return (parts.field_set & (1u << field)) != 0;
}

// A present field's text, bounds-checked against the URL.
std::string_view field(std::string_view url, const http_parser_url &parts, int field) {
    if (!has_field(parts, field)) {
        return {};
    }
    return url.substr(parts.field_data[field].off, parts.field_data[field].len);
}

}  // namespace

std::string ov_directory_url(std::string_view url) {
    http_parser_url parts;
    if (!split_url(url, &parts)) {
        return {};
    }
    std::string_view scheme = field(url, parts, UF_SCHEMA);
    std::string_view host = field(url, parts, UF_HOST);
    if (scheme.empty() || host.empty()) {
        return {};
    }
    std::string_view path = has_field(parts, UF_PATH) ? field(url, parts, UF_PATH) : "/";
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    std::string_view directory = path.substr(0, slash + 1);
    std::string out;
    out.append(scheme).append("://");
    // The splitter hands out an IPv6 literal without its brackets; put them
    // back, or the directory URL would not split again.
    if (host.find(':') != std::string_view::npos) {
        out.append("[").append(host).append("]");
    } else {
        out.append(host);
    }
    if (parts.port != 0) {
        out.append(":").append(std::to_string(parts.port));
    }
    return out.append(directory);
}

std::string ov_url_host(std::string_view url) {
    http_parser_url parts;
    if (!split_url(url, &parts)) {
        return {};
    }
    return std::string(field(url, parts, UF_HOST));
}
