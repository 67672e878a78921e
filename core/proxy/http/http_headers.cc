#include "core/proxy/http/http_headers.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "core/commons/encoding.h"
#include "core/commons/logger.h"
#include "core/commons/strview.h"

namespace {

// Room for a typical head's fields in one allocation; doubling from there
// keeps appends amortised constant for large heads.
constexpr size_t kFirstFieldCapacity = 16;

// Large enough for a typical request head, so the text is usually formatted
// once; longer heads grow the buffer.
constexpr size_t kFirstTextCapacity = 512;

// The logger is opened only when something failed: heads are built on every
// request's path and normally log nothing.
void log_alloc_failure(const char *function, const char *what) {
    LogHandle log("http_headers", -1);
    log.log(LOG_LEVEL_ERROR, "%s(): Couldn't allocate %s", function, what);
}

// Absent strings read as "" so that they can be handed to printf's "%.*s".
std::string_view view(const http_string &s) {
    return s.data != nullptr ? std::string_view(s.data, s.length) : std::string_view("");
}

void string_clear(http_string *s) {
    free(s->data);
    *s = {0, nullptr};
}

// Replaces `*s` with a copy of the bytes; empty text leaves it absent.
// Returns false when the copy cannot be allocated (then `*s` is absent).
bool string_assign(http_string *s, const char *data, size_t length) {
    string_clear(s);
    if (data == nullptr || length == 0) {
        return true;
    }
    auto *copy = static_cast<char *>(malloc(length));
    if (copy == nullptr) {
        return false;
    }
    memcpy(copy, data, length);
    *s = {length, copy};
    return true;
}

int set_string(http_string *s, const char *data, size_t length, const char *function) {
    if (!string_assign(s, data, length)) {
        log_alloc_failure(function, "a string");
    }
    return 0;
}

void field_clear(http_field *field) {
    string_clear(&field->name);
    string_clear(&field->value);
}

bool ensure_field_room(http_field_array *fields) {
    if (fields->count < fields->capacity) {
        return true;
    }
    size_t capacity = fields->capacity == 0 ? kFirstFieldCapacity : fields->capacity * 2;
    auto *items = static_cast<http_field *>(realloc(fields->items, capacity * sizeof(http_field)));
    if (items == nullptr) {
        return false;
    }
    fields->items = items;
    fields->capacity = capacity;
    return true;
}

// Appends a copy of the pair. Returns false when memory runs out; the
// array is then unchanged.
bool append_field(http_field_array *fields, const char *name, size_t name_length, const char *value,
                  size_t value_length) {
    if (!ensure_field_room(fields)) {
        return false;
    }
    http_field field{};
    if (!string_assign(&field.name, name, name_length) ||
        !string_assign(&field.value, value, value_length)) {
        field_clear(&field);
        return false;
    }
    fields->items[fields->count++] = field;
    return true;
}

// ":status" must be wholly an unsigned decimal number; anything else,
// including an absent value, leaves no usable status.
int parse_status(std::string_view value) {
    uint32_t code = 0;
    if (value.empty() || parse_integer(value, sizeof(code), &code) != value.size() ||
        code > INT_MAX) {
        return 0;
    }
    return static_cast<int>(code);
}

// Stores a pseudo-header in its slot. Returns false when `name` is not one.
bool set_pseudo_header(http_headers *headers, std::string_view name, const char *value,
                       size_t value_length) {
    struct Slot {
        std::string_view name;
        http_string http_headers::*member;
    };
    static constexpr Slot kSlots[] = {
        {":authority", &http_headers::authority},
        {":method", &http_headers::method},
        {":scheme", &http_headers::scheme},
        {":path", &http_headers::path},
    };
    for (const Slot &slot : kSlots) {
        if (strview::equals_nocase(name, slot.name)) {
            set_string(&(headers->*slot.member), value, value_length, "http_headers_add_field");
            return true;
        }
    }
    if (strview::equals_nocase(name, ":status")) {
        headers->status_code = parse_status({value, value_length});
        return true;
    }
    return false;
}

bool copy_string(http_string *to, const http_string &from) {
    return string_assign(to, from.data, from.length);
}

bool copy_fields(http_field_array *to, const http_field_array &from) {
    for (size_t i = 0; i < from.count; ++i) {
        const http_field &field = from.items[i];
        if (!append_field(to, field.name.data, field.name.length, field.value.data,
                          field.value.length)) {
            return false;
        }
    }
    return true;
}

bool copy_head(http_headers *to, const http_headers &from) {
    to->version = from.version;
    to->status_code = from.status_code;
    to->has_body = from.has_body;
    return copy_string(&to->path, from.path) &&
           copy_string(&to->status_string, from.status_string) &&
           copy_string(&to->method, from.method) && copy_string(&to->scheme, from.scheme) &&
           copy_string(&to->authority, from.authority) && copy_fields(&to->fields, from.fields);
}

// A growing text buffer; `data` becomes null once formatting or an
// allocation fails, and every later append is then ignored.
struct TextBuffer {
    char *data;
    size_t length;
    size_t capacity;
};

void text_fail(TextBuffer *text) {
    free(text->data);
    text->data = nullptr;
}

void text_appendf(TextBuffer *text, const char *format, ...) OV_PRINTF(2, 3);

void text_appendf(TextBuffer *text, const char *format, ...) {
    while (text->data != nullptr) {
        size_t room = text->capacity - text->length;
        va_list args;
        va_start(args, format);
        int written = vsnprintf(text->data + text->length, room, format, args);
        va_end(args);
        if (written >= 0 && static_cast<size_t>(written) < room) {
            text->length += static_cast<size_t>(written);
            return;
        }
        size_t capacity = text->capacity * 2 + 1;
        auto *grown = written < 0 ? nullptr : static_cast<char *>(realloc(text->data, capacity));
        if (grown == nullptr) {
            text_fail(text);
            return;
        }
        text->data = grown;
        text->capacity = capacity;
    }
}

int print_length(std::string_view s) {
    return static_cast<int>(s.size());
}

void write_first_line(TextBuffer *text, const http_headers &headers, const char *separator) {
    char version[16];
    snprintf(version, sizeof(version), "HTTP/%d.%d",
             static_cast<int>((headers.version >> 8) & 0xff),
             static_cast<int>(headers.version & 0xff));
    if (headers.status_code == 0) {
        std::string_view method = headers.method.length != 0 ? view(headers.method) : "OPTIONS";
        std::string_view path = headers.path.length != 0 ? view(headers.path) : "*";
        text_appendf(text, "%.*s %.*s %s%s", print_length(method), method.data(),
                     print_length(path), path.data(), version, separator);
        return;
    }
    auto status = static_cast<unsigned>(headers.status_code);
    std::string_view reason = view(headers.status_string);
    if (reason.empty()) {
        text_appendf(text, "%s %u%s", version, status, separator);
    } else {
        text_appendf(text, "%s %u %.*s%s", version, status, print_length(reason), reason.data(),
                     separator);
    }
}

void write_line(TextBuffer *text, std::string_view name, std::string_view value,
                const char *separator) {
    text_appendf(text, "%.*s: %.*s%s", print_length(name), name.data(), print_length(value),
                 value.data(), separator);
}

void write_head(TextBuffer *text, const http_headers &headers, const char *separator) {
    write_first_line(text, headers, separator);
    if (headers.authority.length != 0 && !http_headers_has_field(&headers, "Host", 4)) {
        write_line(text, "Host", view(headers.authority), separator);
    }
    for (size_t i = 0; i < headers.fields.count; ++i) {
        const http_field &field = headers.fields.items[i];
        write_line(text, view(field.name), view(field.value), separator);
    }
    text_appendf(text, "%s", separator);
}

// nghttp2 takes names and values through non-const pointers it never writes
// through.
uint8_t *nv_bytes(std::string_view s) {
    return reinterpret_cast<uint8_t *>(const_cast<char *>(s.data()));
}

void nv_push(nghttp2_nv *list, size_t *count, std::string_view name, std::string_view value) {
    list[(*count)++] = {nv_bytes(name), nv_bytes(value), name.size(), value.size(),
                        NGHTTP2_NV_FLAG_NONE};
}

void lower_case_in_place(http_string *s) {
    for (size_t i = 0; i < s->length; ++i) {
        if (s->data[i] >= 'A' && s->data[i] <= 'Z') {
            s->data[i] = static_cast<char>(s->data[i] - 'A' + 'a');
        }
    }
}

// Connection-specific fields are forbidden in HTTP/2 (RFC 9113, 8.2.2).
bool is_connection_specific(const http_string &name) {
    return strview::equals_nocase(view(name), "connection") ||
           strview::equals_nocase(view(name), "transfer-encoding");
}

void push_pseudo_headers(http_headers *headers, nghttp2_nv *list, size_t *count) {
    if (headers->status_code != 0) {
        size_t length = format_integer(static_cast<uint64_t>(int64_t{headers->status_code}),
                                       headers->status_scratch, sizeof(headers->status_scratch),
                                       FORMAT_INT_SIGNED);
        nv_push(list, count, ":status", {headers->status_scratch, length});
        return;
    }
    const std::pair<std::string_view, const http_string *> slots[] = {
        {":method", &headers->method},
        {":scheme", &headers->scheme},
        {":authority", &headers->authority},
        {":path", &headers->path},
    };
    for (const auto &[name, value] : slots) {
        if (value->length != 0) {
            nv_push(list, count, name, view(*value));
        }
    }
}

}  // namespace

http_headers *http_headers_create() {
    auto *headers = static_cast<http_headers *>(calloc(1, sizeof(http_headers)));
    if (headers != nullptr) {
        headers->version = HTTP_VERSION_1_1;
    }
    return headers;
}

http_headers *http_headers_clone(const http_headers *source) {
    http_headers *copy = http_headers_create();
    if (copy == nullptr || source == nullptr) {
        return copy;
    }
    if (!copy_head(copy, *source)) {
        log_alloc_failure(__func__, "the copy");
        http_headers_free(copy);
        return nullptr;
    }
    return copy;
}

void http_headers_free(http_headers *headers) {
    if (headers == nullptr) {
        return;
    }
    for (size_t i = 0; i < headers->fields.count; ++i) {
        field_clear(&headers->fields.items[i]);
    }
    free(headers->fields.items);
    string_clear(&headers->path);
    string_clear(&headers->status_string);
    string_clear(&headers->method);
    string_clear(&headers->scheme);
    string_clear(&headers->authority);
    free(headers);
}

int http_headers_set_method(http_headers *headers, const char *data, size_t length) {
    return set_string(&headers->method, data, length, __func__);
}

int http_headers_set_path(http_headers *headers, const char *data, size_t length) {
    return set_string(&headers->path, data, length, __func__);
}

int http_headers_set_status_string(http_headers *headers, const char *data, size_t length) {
    return set_string(&headers->status_string, data, length, __func__);
}

int http_headers_set_scheme(http_headers *headers, const char *data, size_t length) {
    return set_string(&headers->scheme, data, length, __func__);
}

int http_headers_set_authority(http_headers *headers, const char *data, size_t length) {
    return set_string(&headers->authority, data, length, __func__);
}

void http_headers_set_status_code(http_headers *headers, int status_code) {
    headers->status_code = status_code;
}

int http_headers_add_field(http_headers *headers, const char *name, size_t name_length,
                           const char *value, size_t value_length) {
    std::string_view name_view(name, name_length);
    if (strview::starts_with(name_view, ":") &&
        set_pseudo_header(headers, name_view, value, value_length)) {
        return 0;
    }
    if (!append_field(&headers->fields, name, name_length, value, value_length)) {
        log_alloc_failure(__func__, "a field");
    }
    return 1;
}

const http_string *http_headers_find_field(const http_headers *headers, const char *name,
                                           size_t name_length, size_t start, size_t *index) {
    if (headers == nullptr) {
        return nullptr;
    }
    for (size_t i = start; i < headers->fields.count; ++i) {
        const http_field &field = headers->fields.items[i];
        if (strview::equals_nocase(view(field.name), {name, name_length})) {
            if (index != nullptr) {
                *index = i;
            }
            return &field.value;
        }
    }
    return nullptr;
}

bool http_headers_has_field(const http_headers *headers, const char *name, size_t name_length) {
    return http_headers_find_field(headers, name, name_length) != nullptr;
}

size_t http_headers_remove_fields(http_headers *headers, const char *name, size_t name_length) {
    http_field_array &fields = headers->fields;
    size_t kept = 0;
    for (size_t i = 0; i < fields.count; ++i) {
        if (strview::equals_nocase(view(fields.items[i].name), {name, name_length})) {
            field_clear(&fields.items[i]);
        } else {
            fields.items[kept++] = fields.items[i];
        }
    }
    size_t removed = fields.count - kept;
    fields.count = kept;
    return removed;
}

ptrdiff_t http_headers_to_http1(const http_headers *headers, bool one_line, char **text) {
    *text = nullptr;
    if (headers == nullptr) {
        return 0;
    }
    TextBuffer buffer{static_cast<char *>(malloc(kFirstTextCapacity)), 0, kFirstTextCapacity};
    write_head(&buffer, *headers, one_line ? " " : "\r\n");
    if (buffer.data == nullptr) {
        log_alloc_failure(__func__, "the text");
        return -1;
    }
    *text = buffer.data;
    return static_cast<ptrdiff_t>(buffer.length);
}

void http_headers_free_text(char *text) {
    free(text);
}

nghttp2_nv *http_headers_to_nv(http_headers *headers, size_t *count) {
    *count = 0;
    auto *list =
        static_cast<nghttp2_nv *>(malloc((headers->fields.count + 4) * sizeof(nghttp2_nv)));
    if (list == nullptr) {
        log_alloc_failure(__func__, "the list");
        return nullptr;
    }
    push_pseudo_headers(headers, list, count);
    for (size_t i = 0; i < headers->fields.count; ++i) {
        http_field &field = headers->fields.items[i];
        if (!is_connection_specific(field.name)) {
            lower_case_in_place(&field.name);
            nv_push(list, count, view(field.name), view(field.value));
        }
    }
    return list;
}

void http_headers_free_nv(nghttp2_nv *list) {
    free(list);
}
