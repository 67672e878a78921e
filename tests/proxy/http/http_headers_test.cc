#include "core/proxy/http/http_headers.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/proxy/http/ov_http_headers.h"

namespace {

using Record = std::unique_ptr<http_headers, decltype(&http_headers_free)>;
using Pairs = std::vector<std::pair<std::string, std::string>>;

Record NewRecord() {
    return Record(http_headers_create(), &http_headers_free);
}

int Add(http_headers *h, std::string_view name, std::string_view value) {
    return http_headers_add_field(h, name.data(), name.size(), value.data(), value.size());
}

void SetMethod(http_headers *h, std::string_view s) {
    http_headers_set_method(h, s.data(), s.size());
}
void SetPath(http_headers *h, std::string_view s) {
    http_headers_set_path(h, s.data(), s.size());
}
void SetScheme(http_headers *h, std::string_view s) {
    http_headers_set_scheme(h, s.data(), s.size());
}
void SetAuthority(http_headers *h, std::string_view s) {
    http_headers_set_authority(h, s.data(), s.size());
}
void SetReason(http_headers *h, std::string_view s) {
    http_headers_set_status_string(h, s.data(), s.size());
}

std::string_view View(const http_string &s) {
    return {s.data, s.length};
}

std::string Http1(const http_headers *h, bool one_line) {
    char *text = nullptr;
    ptrdiff_t length = http_headers_to_http1(h, one_line, &text);
    EXPECT_GE(length, 0);
    if (text == nullptr) {
        return {};
    }
    EXPECT_EQ(text[length], '\0');
    std::string result(text, static_cast<size_t>(length));
    http_headers_free_text(text);
    return result;
}

// The whole observable state of a record in one line, so that a test compares
// everything at once. Each string is checked to be either absent (no pointer)
// or non-empty.
std::string Describe(const http_headers *h) {
    auto str = [](const http_string &s) {
        EXPECT_EQ(s.length == 0, s.data == nullptr);
        return s.data == nullptr ? std::string("-") : std::string(View(s));
    };
    std::ostringstream out;
    out << "method=" << str(h->method) << " path=" << str(h->path) << " scheme=" << str(h->scheme)
        << " authority=" << str(h->authority) << " status=" << h->status_code
        << " reason=" << str(h->status_string) << " version=" << std::hex << h->version << std::dec
        << " body=" << h->has_body << " fields=[";
    for (size_t i = 0; i < h->fields.count; ++i) {
        const http_field &f = h->fields.items[i];
        EXPECT_EQ(f.value.length == 0, f.value.data == nullptr);
        out << (i ? "|" : "") << View(f.name) << ":" << View(f.value);
    }
    out << "]";
    return out.str();
}

const char kFresh[] =
    "method=- path=- scheme=- authority=- status=0 reason=- version=101 body=0 fields=[]";

TEST(HttpHeadersCreate, FreshRecordIsAnOptionsRequest) {
    Record h = NewRecord();
    EXPECT_EQ(Describe(h.get()), kFresh);
    EXPECT_EQ(Http1(h.get(), false), "OPTIONS * HTTP/1.1\r\n\r\n");
    EXPECT_EQ(Http1(h.get(), true), "OPTIONS * HTTP/1.1  ");
}

TEST(HttpHeadersText, Rows) {
    struct Row {
        const char *name;
        void (*setup)(http_headers *);
        bool one_line;
        std::string_view text;
    };
    const Row rows[] = {
        {"request with fields",
         [](http_headers *h) {
             SetMethod(h, "GET");
             SetPath(h, "/index.html?q=1");
             Add(h, "Accept", "*/*");
             Add(h, "X-Case", "KeEp");
         },
         false, "GET /index.html?q=1 HTTP/1.1\r\nAccept: */*\r\nX-Case: KeEp\r\n\r\n"},
        {"method without path", [](http_headers *h) { SetMethod(h, "GET"); }, false,
         "GET * HTTP/1.1\r\n\r\n"},
        {"path without method", [](http_headers *h) { SetPath(h, "/x"); }, false,
         "OPTIONS /x HTTP/1.1\r\n\r\n"},
        {"204 without reason", [](http_headers *h) { http_headers_set_status_code(h, 204); }, false,
         "HTTP/1.1 204\r\n\r\n"},
        {"response with reason, HTTP/1.0",
         [](http_headers *h) {
             h->version = HTTP_VERSION_1_0;
             http_headers_set_status_code(h, 200);
             SetReason(h, "OK");
             Add(h, "Content-Length", "0");
         },
         false, "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"},
        {"HTTP/2 version",
         [](http_headers *h) {
             h->version = HTTP_VERSION_2;
             http_headers_set_status_code(h, 404);
             SetReason(h, "Not Found");
         },
         false, "HTTP/2.0 404 Not Found\r\n\r\n"},
        {"authority becomes Host right after the request line",
         [](http_headers *h) {
             SetMethod(h, "GET");
             SetPath(h, "/");
             SetAuthority(h, "example.org:8080");
             Add(h, "Accept", "*/*");
         },
         false, "GET / HTTP/1.1\r\nHost: example.org:8080\r\nAccept: */*\r\n\r\n"},
        {"lower-case host field suppresses the Host line",
         [](http_headers *h) {
             SetMethod(h, "GET");
             SetPath(h, "/");
             SetAuthority(h, "example.org");
             Add(h, "Accept", "*/*");
             Add(h, "host", "other.example");
         },
         false, "GET / HTTP/1.1\r\nAccept: */*\r\nhost: other.example\r\n\r\n"},
        {"a Hosts field is not a Host field",
         [](http_headers *h) {
             SetAuthority(h, "a.example");
             Add(h, "Hosts", "b");
         },
         false, "OPTIONS * HTTP/1.1\r\nHost: a.example\r\nHosts: b\r\n\r\n"},
        {"empty value", [](http_headers *h) { Add(h, "X-Empty", ""); }, false,
         "OPTIONS * HTTP/1.1\r\nX-Empty: \r\n\r\n"},
        {"one line",
         [](http_headers *h) {
             SetMethod(h, "POST");
             SetPath(h, "/api");
             SetAuthority(h, "a.example");
             Add(h, "Content-Length", "2");
         },
         true, "POST /api HTTP/1.1 Host: a.example Content-Length: 2  "},
        {"one-line response without reason",
         [](http_headers *h) { http_headers_set_status_code(h, 304); }, true, "HTTP/1.1 304  "},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Record h = NewRecord();
        row.setup(h.get());
        EXPECT_EQ(Http1(h.get(), row.one_line), row.text);
    }
}

TEST(HttpHeadersText, LongHeadGrowsTheBuffer) {
    Record h = NewRecord();
    SetMethod(h.get(), "GET");
    SetPath(h.get(), "/" + std::string(3000, 'p'));
    std::string expected = "GET /" + std::string(3000, 'p') + " HTTP/1.1\r\n";
    for (int i = 0; i < 200; ++i) {
        std::string name = "X-" + std::to_string(i);
        std::string value(static_cast<size_t>(i) * 7, 'v');
        Add(h.get(), name, value);
        expected += name + ": " + value + "\r\n";
    }
    expected += "\r\n";
    EXPECT_EQ(Http1(h.get(), false), expected);
}

TEST(HttpHeadersNullRecord, FindAndTextGiveNoResult) {
    char *text = reinterpret_cast<char *>(&text);
    EXPECT_EQ(http_headers_to_http1(nullptr, false, &text), 0);
    EXPECT_EQ(text, nullptr);
    size_t index = 7;
    EXPECT_EQ(http_headers_find_field(nullptr, "Host", 4, 0, &index), nullptr);
    EXPECT_EQ(index, 7u);
    EXPECT_FALSE(http_headers_has_field(nullptr, "Host", 4));
    http_headers_free(nullptr);
}

TEST(HttpHeadersAddField, Rows) {
    // Every row starts from a response with status 500, so that a ":status"
    // that resets the code is visible.
    struct Row {
        std::string_view name, value;
        int result;
        std::string_view state;
    };
    const Row rows[] = {
        {":STATUS", "404", 0,
         "method=- path=- scheme=- authority=- status=404 reason=- version=101 body=0 fields=[]"},
        {":status", "007", 0,
         "method=- path=- scheme=- authority=- status=7 reason=- version=101 body=0 fields=[]"},
        {":status", "40x", 0,
         "method=- path=- scheme=- authority=- status=0 reason=- version=101 body=0 fields=[]"},
        {":status", "", 0,
         "method=- path=- scheme=- authority=- status=0 reason=- version=101 body=0 fields=[]"},
        {":status", "+200", 0,
         "method=- path=- scheme=- authority=- status=0 reason=- version=101 body=0 fields=[]"},
        {":status", " 200", 0,
         "method=- path=- scheme=- authority=- status=0 reason=- version=101 body=0 fields=[]"},
        {":status", "2147483648", 0,
         "method=- path=- scheme=- authority=- status=0 reason=- version=101 body=0 fields=[]"},
        {":status", "99999999999999999999999", 0,
         "method=- path=- scheme=- authority=- status=0 reason=- version=101 body=0 fields=[]"},
        {":Method", "GET", 0,
         "method=GET path=- scheme=- authority=- status=500 reason=- version=101 body=0 "
         "fields=[]"},
        {":PATH", "/a?b=C", 0,
         "method=- path=/a?b=C scheme=- authority=- status=500 reason=- version=101 body=0 "
         "fields=[]"},
        {":scheme", "https", 0,
         "method=- path=- scheme=https authority=- status=500 reason=- version=101 body=0 "
         "fields=[]"},
        {":authority", "Example.org:443", 0,
         "method=- path=- scheme=- authority=Example.org:443 status=500 reason=- version=101 "
         "body=0 fields=[]"},
        {":protocol", "websocket", 1,
         "method=- path=- scheme=- authority=- status=500 reason=- version=101 body=0 "
         "fields=[:protocol:websocket]"},
        {":statusx", "1", 1,
         "method=- path=- scheme=- authority=- status=500 reason=- version=101 body=0 "
         "fields=[:statusx:1]"},
        {"status", "404", 1,
         "method=- path=- scheme=- authority=- status=500 reason=- version=101 body=0 "
         "fields=[status:404]"},
        {"X-Empty", "", 1,
         "method=- path=- scheme=- authority=- status=500 reason=- version=101 body=0 "
         "fields=[X-Empty:]"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.name << ": '" << row.value << "'");
        Record h = NewRecord();
        http_headers_set_status_code(h.get(), 500);
        EXPECT_EQ(Add(h.get(), row.name, row.value), row.result);
        EXPECT_EQ(Describe(h.get()), row.state);
    }
}

TEST(HttpHeadersAddField, PseudoHeaderReplacesThePreviousValue) {
    Record h = NewRecord();
    Add(h.get(), ":method", "GET");
    Add(h.get(), ":method", "POST");
    Add(h.get(), ":path", "/a");
    Add(h.get(), ":path", "");
    EXPECT_EQ(Describe(h.get()),
              "method=POST path=- scheme=- authority=- status=0 reason=- version=101 body=0 "
              "fields=[]");
}

TEST(HttpHeadersFindField, MatchesWholeNamesIgnoringCase) {
    Record h = NewRecord();
    Add(h.get(), "Content-Type", "text/html");
    Add(h.get(), "X-Empty", "");
    struct Row {
        std::string_view name;
        bool found;
        std::string_view value;
    };
    const Row rows[] = {
        {"Content-Type", true, "text/html"}, {"content-type", true, "text/html"},
        {"CONTENT-TYPE", true, "text/html"}, {"x-empty", true, ""},
        {"Content-Typ", false, ""},          {"Content-Types", false, ""},
        {"Content-Type ", false, ""},        {"", false, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "'" << row.name << "'");
        const http_string *value =
            http_headers_find_field(h.get(), row.name.data(), row.name.size());
        ASSERT_EQ(value != nullptr, row.found);
        if (value != nullptr) {
            EXPECT_EQ(View(*value), row.value);
        }
        EXPECT_EQ(http_headers_has_field(h.get(), row.name.data(), row.name.size()), row.found);
    }
}

TEST(HttpHeadersFindField, StartIndexWalksDuplicates) {
    Record h = NewRecord();
    Add(h.get(), "Set-Cookie", "a=1");
    Add(h.get(), "Accept", "*/*");
    Add(h.get(), "set-cookie", "b=2");
    Add(h.get(), "Set-Cookie2", "no");
    Add(h.get(), "SET-COOKIE", "c=3");
    std::vector<std::pair<size_t, std::string>> seen;
    size_t index = 0;
    for (size_t start = 0;; start = index + 1) {
        const http_string *value =
            http_headers_find_field(h.get(), "Set-Cookie", 10, start, &index);
        if (value == nullptr) {
            break;
        }
        seen.emplace_back(index, std::string(View(*value)));
    }
    const std::vector<std::pair<size_t, std::string>> expected = {
        {0, "a=1"}, {2, "b=2"}, {4, "c=3"}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(index, 4u);  // left alone by the failed search
    EXPECT_EQ(http_headers_find_field(h.get(), "Accept", 6, 2), nullptr);
    EXPECT_EQ(http_headers_find_field(h.get(), "Accept", 6, 100), nullptr);
}

TEST(HttpHeadersRemoveFields, KeepsTheOrderOfTheRest) {
    Record h = NewRecord();
    Add(h.get(), "A", "1");
    Add(h.get(), "B", "2");
    Add(h.get(), "a", "3");
    Add(h.get(), "C", "4");
    Add(h.get(), "A", "5");
    EXPECT_EQ(http_headers_remove_fields(h.get(), "Z", 1), 0u);
    EXPECT_EQ(http_headers_remove_fields(h.get(), "a", 1), 3u);
    Add(h.get(), "D", "6");
    EXPECT_EQ(Describe(h.get()),
              "method=- path=- scheme=- authority=- status=0 reason=- version=101 body=0 "
              "fields=[B:2|C:4|D:6]");
}

TEST(HttpHeadersSetters, KeepPrivateCopiesAndReplaceThem) {
    Record h = NewRecord();
    std::string source = "GET";
    EXPECT_EQ(http_headers_set_method(h.get(), source.data(), source.size()), 0);
    source[0] = 'X';
    EXPECT_EQ(View(h->method), "GET");
    EXPECT_NE(h->method.data, source.data());
    SetMethod(h.get(), "DELETE");
    SetScheme(h.get(), "https");
    SetReason(h.get(), "OK");
    EXPECT_EQ(Describe(h.get()),
              "method=DELETE path=- scheme=https authority=- status=0 reason=OK version=101 "
              "body=0 fields=[]");
    EXPECT_EQ(http_headers_set_method(h.get(), "", 0), 0);
    EXPECT_EQ(http_headers_set_scheme(h.get(), nullptr, 0), 0);
    EXPECT_EQ(Describe(h.get()),
              "method=- path=- scheme=- authority=- status=0 reason=OK version=101 body=0 "
              "fields=[]");
}

Record FullRecord() {
    Record h = NewRecord();
    SetMethod(h.get(), "POST");
    SetPath(h.get(), "/upload");
    SetScheme(h.get(), "https");
    SetAuthority(h.get(), "a.example");
    SetReason(h.get(), "Created");
    http_headers_set_status_code(h.get(), 201);
    h->version = HTTP_VERSION_2;
    h->has_body = true;
    for (int i = 0; i < 20; ++i) {
        Add(h.get(), "X-Field-" + std::to_string(i), "v" + std::to_string(i));
    }
    return h;
}

TEST(HttpHeadersClone, IsDeepAndIndependent) {
    Record original = FullRecord();
    const std::string state = Describe(original.get());
    Record copy(http_headers_clone(original.get()), &http_headers_free);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Describe(copy.get()), state);
    EXPECT_NE(copy->method.data, original->method.data);
    EXPECT_NE(copy->fields.items, original->fields.items);
    EXPECT_NE(copy->fields.items[0].name.data, original->fields.items[0].name.data);

    // Lower-casing for HTTP/2 rewrites the original's names in place.
    size_t count = 0;
    http_headers_free_nv(http_headers_to_nv(original.get(), &count));
    SetMethod(original.get(), "GET");
    http_headers_remove_fields(original.get(), "X-Field-3", 9);
    Add(original.get(), "Y", "1");
    original.reset();
    EXPECT_EQ(Describe(copy.get()), state);
}

TEST(HttpHeadersClone, NullSourceGivesAFreshRecord) {
    Record copy(http_headers_clone(nullptr), &http_headers_free);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Describe(copy.get()), kFresh);
}

Pairs NvPairs(const nghttp2_nv *list, size_t count) {
    Pairs pairs;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(list[i].flags, NGHTTP2_NV_FLAG_NONE);
        // nghttp2 itself refuses upper-case names.
        EXPECT_NE(nghttp2_check_header_name(list[i].name, list[i].namelen), 0);
        pairs.emplace_back(
            std::string(reinterpret_cast<const char *>(list[i].name), list[i].namelen),
            std::string(reinterpret_cast<const char *>(list[i].value), list[i].valuelen));
    }
    return pairs;
}

TEST(HttpHeadersToNv, ResponseDropsConnectionFields) {
    Record h = NewRecord();
    http_headers_set_status_code(h.get(), 404);
    SetReason(h.get(), "Not Found");
    SetMethod(h.get(), "GET");  // a response sends no request pseudo-headers
    Add(h.get(), "Connection", "close");
    Add(h.get(), "Transfer-Encoding", "chunked");
    Add(h.get(), "X-A", "Value");
    size_t count = 0;
    nghttp2_nv *list = http_headers_to_nv(h.get(), &count);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(NvPairs(list, count), (Pairs{{":status", "404"}, {"x-a", "Value"}}));
    EXPECT_EQ(list[0].value, reinterpret_cast<uint8_t *>(h->status_scratch));
    http_headers_free_nv(list);
    EXPECT_EQ(View(h->fields.items[2].name), "x-a");
}

TEST(HttpHeadersToNv, RequestRows) {
    struct Row {
        const char *name;
        void (*setup)(http_headers *);
        Pairs pairs;
    };
    const Row rows[] = {
        {"every pseudo-header, in the fixed order",
         [](http_headers *h) {
             SetPath(h, "/p");
             SetAuthority(h, "a.example");
             SetScheme(h, "https");
             SetMethod(h, "GET");
             Add(h, "Accept", "*/*");
         },
         {{":method", "GET"},
          {":scheme", "https"},
          {":authority", "a.example"},
          {":path", "/p"},
          {"accept", "*/*"}}},
        {"only the ones set",
         [](http_headers *h) {
             SetMethod(h, "CONNECT");
             SetAuthority(h, "a.example:443");
         },
         {{":method", "CONNECT"}, {":authority", "a.example:443"}}},
        {"nothing set", [](http_headers *) {}, {}},
        {"connection fields in any case, look-alikes kept",
         [](http_headers *h) {
             Add(h, "CONNECTION", "keep-alive");
             Add(h, "Connection-X", "1");
             Add(h, "transfer-ENCODING", "chunked");
             Add(h, "Content-Type", "Text/HTML");
             Add(h, "X-Empty", "");
         },
         {{"connection-x", "1"}, {"content-type", "Text/HTML"}, {"x-empty", ""}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Record h = NewRecord();
        row.setup(h.get());
        size_t count = 99;
        nghttp2_nv *list = http_headers_to_nv(h.get(), &count);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(NvPairs(list, count), row.pairs);
        http_headers_free_nv(list);
    }
}

std::string Streamed(const OvHttpHeaders &headers) {
    std::ostringstream out;
    out << headers;
    return out.str();
}

TEST(OvHttpHeaders, DefaultIsAFreshRequest) {
    OvHttpHeaders headers;
    ASSERT_NE(headers.raw(), nullptr);
    EXPECT_EQ(Describe(headers.raw()), kFresh);
    EXPECT_EQ(headers.toString(false), "OPTIONS * HTTP/1.1\r\n\r\n");
    EXPECT_EQ(headers.toString(true), "OPTIONS * HTTP/1.1  ");
    EXPECT_EQ(headers.statusCode(), 0);
    EXPECT_EQ(headers.statusString(), "");
}

TEST(OvHttpHeaders, SettersBuildTheHead) {
    OvHttpHeaders request;
    request.setMethod("GET");
    request.setPath("/q");
    request.setScheme("https");
    request.setAuthority("a.example");
    request.addField(":status", "200");
    EXPECT_EQ(Describe(request.raw()),
              "method=GET path=/q scheme=https authority=a.example status=200 reason=- "
              "version=101 body=0 fields=[]");

    OvHttpHeaders response;
    response.setVersion(0x0100);
    response.setStatusCode(204);
    response.setStatusString("No Content");
    EXPECT_EQ(response.statusCode(), 204);
    EXPECT_EQ(response.statusString(), "No Content");
    EXPECT_EQ(response.toString(false), "HTTP/1.0 204 No Content\r\n\r\n");
}

TEST(OvHttpHeaders, GetFieldTellsEmptyFromAbsent) {
    OvHttpHeaders headers;
    headers.addField("Content-Type", "text/html");
    headers.addField("X-Empty", "");
    EXPECT_EQ(headers.getField("content-type"), std::optional<std::string_view>("text/html"));
    EXPECT_EQ(headers.getField("X-EMPTY"), std::optional<std::string_view>(""));
    EXPECT_EQ(headers.getField("X-Missing"), std::nullopt);
    EXPECT_EQ(headers.getFieldOrEmpty("CONTENT-TYPE"), "text/html");
    EXPECT_EQ(headers.getFieldOrEmpty("X-Missing"), "");
    EXPECT_TRUE(headers.hasField("x-empty"));
    EXPECT_FALSE(headers.hasField("X-Missing"));
}

TEST(OvHttpHeaders, PutFieldLeavesOneAtTheEnd) {
    OvHttpHeaders headers;
    headers.addField("Content-Type", "text/html");
    headers.addField("X-A", "1");
    headers.addField("content-type", "text/plain");
    headers.addField("X-B", "2");
    headers.putField("Content-Type", "application/json");
    headers.putField("X-New", "3");
    EXPECT_EQ(Describe(headers.raw()),
              "method=- path=- scheme=- authority=- status=0 reason=- version=101 body=0 "
              "fields=[X-A:1|X-B:2|Content-Type:application/json|X-New:3]");
}

TEST(OvHttpHeaders, FromRawCopiesDeeply) {
    Record raw = FullRecord();
    const std::string state = Describe(raw.get());
    OvHttpHeaders headers(raw.get());
    EXPECT_NE(headers.raw(), raw.get());
    raw.reset();
    EXPECT_EQ(Describe(headers.raw()), state);

    OvHttpHeaders fresh(nullptr);
    ASSERT_NE(fresh.raw(), nullptr);
    EXPECT_EQ(Describe(fresh.raw()), kFresh);
}

TEST(OvHttpHeaders, CopiesAreIndependent) {
    OvHttpHeaders a;
    a.setMethod("GET");
    a.addField("X", "1");
    OvHttpHeaders b(a);
    b.setMethod("PUT");
    b.putField("X", "2");
    OvHttpHeaders c;
    c = a;
    a.addField("Y", "3");
    const OvHttpHeaders &same = c;
    c = same;
    EXPECT_EQ(a.toString(true), "GET * HTTP/1.1 X: 1 Y: 3  ");
    EXPECT_EQ(b.toString(true), "PUT * HTTP/1.1 X: 2  ");
    EXPECT_EQ(c.toString(true), "GET * HTTP/1.1 X: 1  ");
}

TEST(OvHttpHeaders, MoveSwapsRecords) {
    OvHttpHeaders a;
    a.setMethod("GET");
    OvHttpHeaders b;
    b.setMethod("POST");
    http_headers *record_a = a.raw();
    http_headers *record_b = b.raw();
    a = std::move(b);
    EXPECT_EQ(a.raw(), record_b);
    EXPECT_EQ(b.raw(), record_a);  // move assignment swaps

    OvHttpHeaders c(std::move(a));
    EXPECT_EQ(c.raw(), record_b);
    EXPECT_EQ(a.raw(), nullptr);  // move construction leaves no record
    EXPECT_EQ(Streamed(a), "");
    a = c;
    EXPECT_EQ(a.toString(false), "POST * HTTP/1.1\r\n\r\n");
}

TEST(OvHttpHeaders, StreamDropsEveryCarriageReturn) {
    OvHttpHeaders headers;
    headers.setMethod("GET");
    headers.setPath("/");
    headers.setAuthority("a.example");
    headers.addField("X-Odd", "a\rb\r");
    EXPECT_EQ(Streamed(headers), "GET / HTTP/1.1\nHost: a.example\nX-Odd: ab\n\n");
}

}  // namespace
