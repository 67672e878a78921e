#include "core/proxy/http/ov_http_headers.h"

#include <new>

namespace {

http_headers *checked(http_headers *headers) {
    if (headers == nullptr) {
        throw std::bad_alloc();
    }
    return headers;
}

std::string_view view(const http_string *s) {
    return s == nullptr ? std::string_view() : std::string_view(s->data, s->length);
}

}  // namespace

OvHttpHeaders::OvHttpHeaders() : headers_(checked(http_headers_create())) {}

OvHttpHeaders::OvHttpHeaders(const http_headers *headers)
    : headers_(checked(http_headers_clone(headers))) {}

OvHttpHeaders::OvHttpHeaders(const OvHttpHeaders &other) : OvHttpHeaders(other.raw()) {}

OvHttpHeaders &OvHttpHeaders::operator=(const OvHttpHeaders &other) {
    if (this != &other) {
        headers_.reset(checked(http_headers_clone(other.raw())));
    }
    return *this;
}

OvHttpHeaders::OvHttpHeaders(OvHttpHeaders &&other) noexcept {
    headers_.swap(other.headers_);
}

OvHttpHeaders &OvHttpHeaders::operator=(OvHttpHeaders &&other) noexcept {
    headers_.swap(other.headers_);
    return *this;
}

OvHttpHeaders::~OvHttpHeaders() = default;

void OvHttpHeaders::setMethod(std::string_view method) {
    http_headers_set_method(raw(), method.data(), method.size());
}

void OvHttpHeaders::setPath(std::string_view path) {
    http_headers_set_path(raw(), path.data(), path.size());
}

void OvHttpHeaders::setScheme(std::string_view scheme) {
    http_headers_set_scheme(raw(), scheme.data(), scheme.size());
}

void OvHttpHeaders::setAuthority(std::string_view authority) {
    http_headers_set_authority(raw(), authority.data(), authority.size());
}

void OvHttpHeaders::setStatusString(std::string_view reason) {
    http_headers_set_status_string(raw(), reason.data(), reason.size());
}

void OvHttpHeaders::setStatusCode(int code) {
    http_headers_set_status_code(raw(), code);
}

void OvHttpHeaders::setVersion(int version) {
    raw()->version = static_cast<uint32_t>(version);
}

int OvHttpHeaders::statusCode() const {
    return raw()->status_code;
}

std::string_view OvHttpHeaders::statusString() const {
    return view(&raw()->status_string);
}

std::optional<std::string_view> OvHttpHeaders::getField(std::string_view name) const {
    const http_string *value = http_headers_find_field(raw(), name.data(), name.size());
    if (value == nullptr) {
        return std::nullopt;
    }
    return view(value);
}

std::string_view OvHttpHeaders::getFieldOrEmpty(std::string_view name) const {
    return getField(name).value_or(std::string_view());
}

bool OvHttpHeaders::hasField(std::string_view name) const {
    return http_headers_has_field(raw(), name.data(), name.size());
}

void OvHttpHeaders::addField(std::string_view name, std::string_view value) {
    http_headers_add_field(raw(), name.data(), name.size(), value.data(), value.size());
}

void OvHttpHeaders::putField(std::string_view name, std::string_view value) {
    http_headers_remove_fields(raw(), name.data(), name.size());
    addField(name, value);
}

std::string OvHttpHeaders::toString(bool oneLine) const {
    char *text = nullptr;
    ptrdiff_t length = http_headers_to_http1(raw(), oneLine, &text);
    if (length < 0) {
        throw std::bad_alloc();
    }
    std::string result(text != nullptr ? text : "", static_cast<size_t>(length));
    http_headers_free_text(text);
    return result;
}

std::ostream &operator<<(std::ostream &out, const OvHttpHeaders &headers) {
    std::string text = headers.toString(false);
    std::erase(text, '\r');
    return out << text;
}
