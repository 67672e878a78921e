// OvHttpHeaders: one HTTP message head with value semantics, for the
// object-oriented callers. It owns exactly one http_headers record, which the
// session codecs may read and fill through raw(); copies are deep. Allocation
// failures throw std::bad_alloc, as a standard container's would.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "core/proxy/http/http_headers.h"

class OvHttpHeaders {
  public:
    // A fresh request head: "OPTIONS * HTTP/1.1" until something is set.
    OvHttpHeaders();
    // A deep copy of `headers`, or a fresh head when it is null.
    explicit OvHttpHeaders(const http_headers *headers);
    OvHttpHeaders(const OvHttpHeaders &other);
    OvHttpHeaders &operator=(const OvHttpHeaders &other);
    // Moving swaps the records. A handle moved from by move construction is
    // left without a record: it may then only be assigned to or destroyed.
    OvHttpHeaders(OvHttpHeaders &&other) noexcept;
    OvHttpHeaders &operator=(OvHttpHeaders &&other) noexcept;
    ~OvHttpHeaders();

    http_headers *raw() const { return headers_.get(); }

    void setMethod(std::string_view method);
    void setPath(std::string_view path);
    void setScheme(std::string_view scheme);
    void setAuthority(std::string_view authority);
    void setStatusString(std::string_view reason);
    void setStatusCode(int code);
    // The version word: major in bits 8-15, minor in bits 0-7 (0x0101 is HTTP/1.1).
    void setVersion(int version);

    int statusCode() const;
    std::string_view statusString() const;

    // The value of the first field with that name (ignoring ASCII case); an
    // empty optional when there is none. The view lives until the fields change.
    std::optional<std::string_view> getField(std::string_view name) const;
    std::string_view getFieldOrEmpty(std::string_view name) const;
    bool hasField(std::string_view name) const;
    // Pseudo-headers (":method", ":status"...) go to their slots.
    void addField(std::string_view name, std::string_view value);
    // Replaces every field with that name by one field at the end.
    void putField(std::string_view name, std::string_view value);

    // The HTTP/1 text form; with `oneLine` separators are single spaces.
    std::string toString(bool oneLine) const;

  private:
    struct Free {
        void operator()(http_headers *headers) const { http_headers_free(headers); }
    };
    std::unique_ptr<http_headers, Free> headers_;
};

// Writes the HTTP/1 text form without any '\r', for log lines; nothing for a
// handle that holds no record.
std::ostream &operator<<(std::ostream &out, const OvHttpHeaders &headers);
