#include "core/filtering/urlfilter/redirect_resources.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/commons/encoding.h"
#include "tests/support/log_capture.h"

extern char **environ;

namespace {

using Names = std::vector<std::string>;

// The catalogue as rules know it: index, names (title first), blocking flag
// and content type.
struct CatalogueRow {
    Names names;
    bool blocking;
    std::string type;
};

const std::vector<CatalogueRow> &catalogue() {
    static const std::string js = "application/javascript;base64";
    static const std::vector<CatalogueRow> rows = {
        {{"1x1-transparent.gif", "1x1.gif", "1x1-transparent-gif"}, false, "image/gif;base64"},
        {{"2x2-transparent.png", "2x2.png", "2x2-transparent-png"}, false, "image/png;base64"},
        {{"3x2-transparent.png", "3x2.png", "3x2-transparent-png"}, false, "image/png;base64"},
        {{"32x32-transparent.png", "32x32.png", "32x32-transparent-png"},
         false,
         "image/png;base64"},
        {{"noopframe", "noop.html", "blank-html"}, false, "text/html;base64"},
        {{"noopcss", "blank-css"}, false, "text/css;base64"},
        {{"noopjs", "noop.js", "blank-js"}, false, js},
        {{"noopjson"}, false, "application/json;base64"},
        {{"nooptext", "noop.txt", "blank-text"}, false, "text/plain;base64"},
        {{"empty", "empty"}, false, "text/plain;base64"},
        {{"noopvmap-1.0", "noop-vmap1.0.xml"}, false, "text/xml;base64"},
        {{"noopvast-2.0"}, false, "text/xml;base64"},
        {{"noopvast-3.0"}, false, "text/xml;base64"},
        {{"noopvast-4.0"}, false, "text/xml;base64"},
        {{"noopmp3-0.1s", "noopmp3-0.1s", "blank-mp3"}, false, "audio/mp3;base64"},
        {{"noopmp4-1s", "noop-1s.mp4", "blank-mp4"}, false, "video/mp4;base64"},
        {{"click2load.html", "click2load.html", "ubo-click2load.html"}, true, "text/html;base64"},
        {{"amazon-apstag", "ubo-amazon_apstag.js", "amazon_apstag.js"}, false, js},
        {{"ati-smarttag"}, false, js},
        {{"didomi-loader"}, false, js},
        {{"fingerprintjs2", "ubo-fingerprint2.js", "fingerprint2.js"}, false, js},
        {{"fingerprintjs3", "ubo-fingerprint3.js", "fingerprint3.js"}, false, js},
        {{"gemius"}, false, js},
        {{"google-analytics-ga", "ubo-google-analytics_ga.js", "google-analytics_ga.js"},
         false,
         js},
        {{"google-analytics", "ubo-google-analytics_analytics.js", "google-analytics_analytics.js",
          "googletagmanager-gtm", "ubo-googletagmanager_gtm.js", "googletagmanager_gtm.js"},
         false,
         js},
        {{"google-ima3"}, false, js},
        {{"googlesyndication-adsbygoogle", "ubo-googlesyndication_adsbygoogle.js",
          "googlesyndication_adsbygoogle.js"},
         false,
         js},
        {{"googletagservices-gpt", "ubo-googletagservices_gpt.js", "googletagservices_gpt.js"},
         false,
         js},
        {{"matomo"}, false, js},
        {{"metrika-yandex-tag"}, false, js},
        {{"metrika-yandex-watch"}, false, js},
        {{"naver-wcslog"}, false, js},
        {{"noeval", "noeval.js", "silent-noeval.js", "ubo-noeval.js", "ubo-silent-noeval.js",
          "ubo-noeval", "ubo-silent-noeval"},
         false,
         js},
        {{"prebid-ads", "ubo-prebid-ads.js", "prebid-ads.js"}, false, js},
        {{"prebid"}, false, js},
        {{"prevent-bab", "nobab.js", "ubo-nobab.js", "bab-defuser.js", "ubo-bab-defuser.js",
          "ubo-nobab", "ubo-bab-defuser"},
         false,
         js},
        {{"prevent-bab2", "nobab2.js"}, false, js},
        {{"prevent-fab-3.2.0", "nofab.js", "ubo-nofab.js", "fuckadblock.js-3.2.0",
          "ubo-fuckadblock.js-3.2.0", "ubo-nofab"},
         false,
         js},
        {{"prevent-popads-net", "popads.net.js", "ubo-popads.net.js", "ubo-popads.net"}, false, js},
        {{"scorecardresearch-beacon", "ubo-scorecardresearch_beacon.js",
          "scorecardresearch_beacon.js"},
         false,
         js},
        {{"set-popads-dummy", "popads-dummy.js", "ubo-popads-dummy.js", "ubo-popads-dummy"},
         false,
         js},
    };
    return rows;
}

std::string view_text(const redirect_view_t &view) {
    return std::string(view.pointer != nullptr ? view.pointer : "", view.length);
}

Names stored_names(const redirect_resource_t &resource) {
    Names out;
    for (const redirect_view_t &name : resource.names) {
        if (name.length == 0) {
            break;
        }
        out.push_back(view_text(name));
    }
    return out;
}

bool inside_base(const redirect_view_t &view) {
    return view.length == 0 ||
           (view.pointer >= REDIRECT_RESOURCES_BASE &&
            view.pointer + view.length <= REDIRECT_RESOURCES_BASE + REDIRECT_RESOURCES_BASE_LENGTH);
}

class RedirectResources : public ::testing::Test {
  protected:
    void SetUp() override {
        logger_ = logger_open("urlfilter", -1);
        base_ = redirect_resources_new(logger_);
        ASSERT_NE(base_, nullptr) << ::testing::PrintToString(capture_.messages());
    }
    void TearDown() override {
        redirect_resources_free(base_);
        logger_close(logger_);
    }

    std::string decoded(size_t index) const {
        std::optional<std::string> bytes = base64_decode_string(std::string_view(
            base_->array[index].content.pointer, base_->array[index].content.length));
        EXPECT_TRUE(bytes.has_value());
        return bytes.value_or("");
    }

    LogCapture capture_;
    logger_s *logger_ = nullptr;
    redirect_resources_t *base_ = nullptr;
};

TEST_F(RedirectResources, BuiltInBaseHoldsTheCatalogue) {
    ASSERT_EQ(base_->count, catalogue().size());
    for (size_t i = 0; i < catalogue().size(); i++) {
        const CatalogueRow &row = catalogue()[i];
        SCOPED_TRACE(row.names[0]);
        const redirect_resource_t &resource = base_->array[i];
        EXPECT_EQ(stored_names(resource), row.names);
        EXPECT_EQ(resource.is_blocking, row.blocking ? 1 : 0);
        EXPECT_EQ(view_text(resource.content_type), row.type);
        // The base keeps views of the compiled-in text, never copies.
        for (const redirect_view_t &name : resource.names) {
            EXPECT_TRUE(inside_base(name));
        }
        EXPECT_TRUE(inside_base(resource.content_type));
        EXPECT_TRUE(inside_base(resource.content));
        decoded(i);  // valid Base64
    }
    EXPECT_TRUE(capture_.lines().empty());
}

TEST_F(RedirectResources, EveryNameFindsItsResource) {
    for (size_t i = 0; i < catalogue().size(); i++) {
        for (const std::string &name : catalogue()[i].names) {
            SCOPED_TRACE(name);
            redirect_find_result_t found = redirect_resources_find(base_, name.data(), name.size());
            EXPECT_TRUE(found.found);
            EXPECT_EQ(found.index, i);
        }
    }
}

TEST_F(RedirectResources, FindMatchesExactBytesOnly) {
    const std::string rows[] = {
        "NoopJS", "noopjs ", " noopjs", "noopj", "noopjsx", "", std::string("noopjs\0", 7),
    };
    for (const std::string &name : rows) {
        SCOPED_TRACE("[" + name + "]");
        EXPECT_FALSE(redirect_resources_find(base_, name.data(), name.size()).found);
    }
    EXPECT_FALSE(redirect_resources_find(nullptr, "noopjs", 6).found);
}

// The whole outcome of one redirect_rule_parse() call.
struct RuleOutcome {
    int status;
    bool has_record;
    uint32_t resource;
    int has_resource;
    int32_t is_redirect_rule;
    std::vector<std::string> warnings;

    bool operator==(const RuleOutcome &) const = default;
};

void PrintTo(const RuleOutcome &o, std::ostream *os) {
    *os << "{status " << o.status << ", record " << o.has_record << ", resource " << o.resource
        << ", has_resource " << o.has_resource << ", is_redirect_rule " << o.is_redirect_rule
        << ", warnings " << ::testing::PrintToString(o.warnings) << "}";
}

RuleOutcome parse_rule(LogCapture &capture, const redirect_resources_t *base,
                       const std::string &option, bool is_exception) {
    capture.clear();
    redirect_rule_t *record = nullptr;
    RuleOutcome out{};
    out.status = redirect_rule_parse(base, is_exception, option.size(), option.data(), &record);
    out.has_record = record != nullptr;
    if (record != nullptr) {
        out.resource = record->resource;
        out.has_resource = record->has_resource;
        out.is_redirect_rule = record->is_redirect_rule;
    }
    out.warnings = capture.messages(LOG_LEVEL_WARN);
    redirect_rule_free(record);
    return out;
}

const char kFormat[] =
    "redirect_rule_parse(): redirect modifier should have 'redirect=<resource_name>' format";
const char kNoValue[] = "redirect_rule_parse(): option has no value";

std::string no_resource(const std::string &name) {
    return "redirect_rule_parse(): there is no resource with such name (" + name +
           ") in the redirect resources base";
}

TEST_F(RedirectResources, RuleOptionValues) {
    struct Row {
        std::string option;
        bool is_exception;
        RuleOutcome expected;
    };
    const Row rows[] = {
        {"redirect=noopjs", false, {0, true, 6, 1, 0, {}}},
        {"redirect=blank-js", false, {0, true, 6, 1, 0, {}}},
        {"redirect=1x1.gif", false, {0, true, 0, 1, 0, {}}},
        {"redirect=ubo-popads-dummy", false, {0, true, 40, 1, 0, {}}},
        {"redirect=noopjs", true, {0, true, 6, 1, 0, {}}},
        {"redirect-rule=nooptext", false, {0, true, 8, 1, 1, {}}},
        {"REDIRECT-Rule=nooptext", false, {0, true, 8, 1, 1, {}}},
        {"redirect=NoopJS", false, {1, false, 0, 0, 0, {no_resource("NoopJS")}}},
        {"redirect=noopjs  ", false, {1, false, 0, 0, 0, {no_resource("noopjs  ")}}},
        {"redirect=unknown", true, {1, false, 0, 0, 0, {no_resource("unknown")}}},
        {"redirect", false, {1, false, 0, 0, 0, {kFormat}}},
        {"redirect-rule", false, {1, false, 0, 0, 0, {kFormat}}},
        {"redirect:noopjs", false, {1, false, 0, 0, 0, {kFormat}}},
        {"redirect:noopjs", true, {1, false, 0, 0, 0, {kFormat}}},
        {"redirect", true, {0, true, 0, 0, 0, {}}},
        {"redirect-rule", true, {0, true, 0, 0, 1, {}}},
        {"redirect=", false, {1, false, 0, 0, 0, {kNoValue}}},
        {"redirect=", true, {1, false, 0, 0, 0, {kNoValue}}},
        {"redirect-rule=", false, {1, false, 0, 0, 0, {kNoValue}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.option + (row.is_exception ? " (exception)" : ""));
        EXPECT_EQ(parse_rule(capture_, base_, row.option, row.is_exception), row.expected);
    }
}

// A base that failed to load resolves nothing and has no logger to report to.
TEST(RedirectRuleParse, WithoutBase) {
    struct Row {
        std::string option;
        bool is_exception;
        RuleOutcome expected;
    };
    const Row rows[] = {
        {"redirect=noopjs", false, {1, false, 0, 0, 0, {}}},
        {"redirect", true, {0, true, 0, 0, 0, {}}},
        {"redirect", false, {1, false, 0, 0, 0, {}}},
    };
    LogCapture capture;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.option + (row.is_exception ? " (exception)" : ""));
        EXPECT_EQ(parse_rule(capture, nullptr, row.option, row.is_exception), row.expected);
    }
}

TEST(RedirectResourcesParse, NinthNameIsDropped) {
    const std::string text =
        R"([{"title": "t", "aliases": ["a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8"],)"
        R"( "isBlocking": true, "contentType": "text/plain;base64", "content": ""}])";
    LogCapture capture;
    logger_s *logger = logger_open("urlfilter", -1);
    redirect_resources_t *base = redirect_resources_parse(text.data(), text.size(), logger);
    ASSERT_NE(base, nullptr);
    ASSERT_EQ(base->count, 1u);
    EXPECT_EQ(stored_names(base->array[0]), (Names{"t", "a1", "a2", "a3", "a4", "a5", "a6", "a7"}));
    EXPECT_EQ(base->array[0].is_blocking, 1);
    EXPECT_EQ(base->array[0].content.length, 0u);
    EXPECT_FALSE(redirect_resources_find(base, "a8", 2).found);
    EXPECT_EQ(capture.messages(LOG_LEVEL_ERROR),
              (std::vector<std::string>{"resource_name(): resource name a8 was not added due to "
                                        "buffer is out of capacity (8)"}));
    EXPECT_EQ(capture.messages().size(), 1u);
    redirect_resources_free(base);
    logger_close(logger);
}

TEST(RedirectResourcesParse, AcceptsMinimalTexts) {
    struct Row {
        const char *name;
        std::string text;
        size_t count;
    };
    const Row rows[] = {
        {"empty array", "[]", 0},
        {"members in any order, nulls read as absent",
         R"([{"content": null, "title": "x", "aliases": []}, {}])", 2},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LogCapture capture;
        redirect_resources_t *base =
            redirect_resources_parse(row.text.data(), row.text.size(), nullptr);
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(base->count, row.count);
        EXPECT_TRUE(capture.lines().empty());
        redirect_resources_free(base);
    }
}

// Every failure leaves nothing allocated (LeakSanitizer checks at exit) and
// logs exactly one line.
TEST(RedirectResourcesParse, MalformedTextFailsTheLoad) {
    const std::string built_in(REDIRECT_RESOURCES_BASE, REDIRECT_RESOURCES_BASE_LENGTH);
    struct Row {
        const char *name;
        std::string text;
        std::string error;  // reader error, last value and line
    };
    const Row rows[] = {
        {"built-in text without its closing bracket", built_in.substr(0, built_in.rfind(']')),
         "expected brace  last value:}  line:43"},
        {"text cut inside a content string",
         "[{\"title\": \"a\"},\n {\"title\": \"b\", \"content\": \"QUJD",
         "expected brace  last value:\"QUJD  line:2"},
        {"empty text", "", "no value  last value:  line:1"},
        {"bad token", "[{\"title\": \"a\", \"isBlocking\": tru}]",
         "bad value  last value:tru  line:1"},
        {"object at the root", "{\"title\": \"a\"}", "internal  last value:{  line:1"},
        {"string for isBlocking", "[{\"isBlocking\": \"no\"}]",
         "internal  last value:\"no\"  line:1"},
        {"number for a title, after a good resource", "[{\"title\": \"a\"},\n{\"title\":\n 5}]",
         "internal  last value:5  line:3"},
        {"aliases that are not strings", "[{\"aliases\": [\"a\", null]}]",
         "internal  last value:null  line:1"},
        {"unknown member", "[{\"name\": \"a\"}]", "unknown key name  last value:\"name\"  line:1"},
        {"title given twice", "[{\"title\": \"a\", \"title\": \"b\"}]",
         "duplicate key  last value:\"title\"  line:1"},
        {"escape in a name", "[{\"title\": \"no\\u0070js\"}]",
         "unsupported value  last value:\"no\\u0070js\"  line:1"},
        {"escape in content", "[{\"content\": \"QU\\/J\"}]",
         "unsupported value  last value:\"QU\\/J\"  line:1"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LogCapture capture;
        logger_s *logger = logger_open("urlfilter", -1);
        EXPECT_EQ(redirect_resources_parse(row.text.data(), row.text.size(), logger), nullptr);
        EXPECT_EQ(
            capture.messages(LOG_LEVEL_ERROR),
            (std::vector<std::string>{
                "parse_resources_base(): redirect resources base parse error: " + row.error}));
        EXPECT_EQ(capture.messages().size(), 1u);
        logger_close(logger);
    }
}

// --- Contents ---

uint32_t be32(const std::string &bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8 |
           static_cast<uint8_t>(bytes[at + 3]);
}

unsigned le16(const std::string &bytes, size_t at) {
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8;
}

uint32_t crc32(const std::string &bytes) {
    uint32_t crc = 0xffffffff;
    for (char c : bytes) {
        crc ^= static_cast<uint8_t>(c);
        for (int k = 0; k < 8; k++) {
            crc = crc & 1 ? (crc >> 1) ^ 0xedb88320 : crc >> 1;
        }
    }
    return ~crc;
}

uint32_t adler32(const std::string &bytes) {
    uint32_t a = 1, b = 0;
    for (char c : bytes) {
        a = (a + static_cast<uint8_t>(c)) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

// The GIF header: "GIF89a", the logical screen size, and a graphic control
// extension (0x21 0xf9, 4 bytes) whose transparency flag is set for the index
// the single 1x1 image is drawn with.
void check_gif(const std::string &gif) {
    ASSERT_GE(gif.size(), 13u);
    EXPECT_EQ(gif.substr(0, 6), "GIF89a");
    EXPECT_EQ(le16(gif, 6), 1u);  // logical screen width
    EXPECT_EQ(le16(gif, 8), 1u);  // and height
    size_t at = 13;
    if (static_cast<uint8_t>(gif[10]) & 0x80) {  // global color table
        at += 3u << ((gif[10] & 7) + 1);
    }
    ASSERT_GE(gif.size(), at + 8 + 10);
    EXPECT_EQ(gif.substr(at, 3), std::string("\x21\xf9\x04", 3));
    EXPECT_TRUE(gif[at + 3] & 1);  // transparent color flag
    uint8_t transparent = gif[at + 6];
    at += 8;
    EXPECT_EQ(gif[at], '\x2c');        // image descriptor
    EXPECT_EQ(le16(gif, at + 5), 1u);  // width
    EXPECT_EQ(le16(gif, at + 7), 1u);  // height
    // LZW data of minimum code size 2, one block: clear (4), the pixel's
    // index, end (5), three bits each from the lowest bit up.
    at += 10;
    ASSERT_GE(gif.size(), at + 5);
    EXPECT_EQ(gif[at], 2);
    EXPECT_EQ(gif[at + 1], 2);
    unsigned codes = le16(gif, at + 2);
    EXPECT_EQ(codes & 7, 4u);
    EXPECT_EQ((codes >> 3) & 7, transparent);
    EXPECT_EQ((codes >> 6) & 7, 5u);
    EXPECT_EQ(gif.back(), '\x3b');
}

// Walks the PNG chunks, checking each CRC; every pixel must be transparent:
// a palette image whose one palette entry has alpha 0 in tRNS, and image data
// whose rows, stored without compression, hold only that index.
void check_png(const std::string &png, uint32_t width, uint32_t height) {
    ASSERT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    std::string ihdr, plte, trns, idat;
    for (size_t at = 8; at + 12 <= png.size();) {
        uint32_t length = be32(png, at);
        ASSERT_LE(at + 12 + length, png.size());
        std::string kind = png.substr(at + 4, 4);
        std::string data = png.substr(at + 8, length);
        EXPECT_EQ(be32(png, at + 8 + length), crc32(kind + data)) << kind;
        (kind == "IHDR" ? ihdr : kind == "PLTE" ? plte : kind == "tRNS" ? trns : idat) += data;
        at += 12 + length;
    }
    ASSERT_EQ(ihdr.size(), 13u);
    EXPECT_EQ(be32(ihdr, 0), width);
    EXPECT_EQ(be32(ihdr, 4), height);
    EXPECT_EQ(ihdr.substr(8, 5), std::string("\x01\x03\x00\x00\x00", 5));  // 1 bit, palette
    EXPECT_EQ(plte.size(), 3u);                                            // one entry: index 0
    EXPECT_EQ(trns, std::string(1, '\0'));                                 // its alpha is 0
    // zlib header, then one final stored deflate block: LEN, ~LEN, the rows.
    size_t row = 1 + (width + 7) / 8;
    std::string rows(row * height, '\0');  // filter 0, index 0
    ASSERT_EQ(idat.size(), 2 + 5 + rows.size() + 4);
    EXPECT_EQ(idat.substr(0, 3), "\x78\x01\x01");
    EXPECT_EQ(le16(idat, 3), rows.size());
    EXPECT_EQ(le16(idat, 5), rows.size() ^ 0xffff);
    EXPECT_EQ(idat.substr(7, rows.size()), rows);
    EXPECT_EQ(be32(idat, 7 + rows.size()), adler32(rows));
    EXPECT_TRUE(png.ends_with(std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12)));
}

void check_xml(const std::string &xml, const std::string &root, const std::string &version) {
    EXPECT_TRUE(xml.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << xml;
    size_t open = xml.find("<" + root + " ");
    ASSERT_NE(open, std::string::npos) << xml;
    EXPECT_NE(xml.find(" version=\"" + version + "\"", open), std::string::npos) << xml;
    EXPECT_NE(xml.find("></" + root + ">"), std::string::npos) << xml;  // nothing inside
}

// The inline script of an HTML page.
std::string inline_script(const std::string &html) {
    size_t open = html.find("<script>");
    size_t close = html.find("</script>");
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return "";
    }
    return html.substr(open + 8, close - open - 8);
}

// `node --check FILE`: a syntax check that runs nothing.
int node_check(const std::string &path) {
    const char *args[] = {"node", "--check", path.c_str(), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "node", nullptr, nullptr, const_cast<char **>(args), environ) != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(RedirectResources, ContentsAreWhatTheirNamesSay) {
    struct Row {
        const char *title;
        std::function<void(const std::string &)> check;
    };
    auto exactly = [](std::string expected) {
        return [expected](const std::string &bytes) { EXPECT_EQ(bytes, expected); };
    };
    const Row rows[] = {
        {"1x1-transparent.gif", check_gif},
        {"2x2-transparent.png", [](const std::string &b) { check_png(b, 2, 2); }},
        {"3x2-transparent.png", [](const std::string &b) { check_png(b, 3, 2); }},
        {"32x32-transparent.png", [](const std::string &b) { check_png(b, 32, 32); }},
        {"noopframe",
         [](const std::string &b) {
             EXPECT_TRUE(b.starts_with("<!DOCTYPE html>"));
             EXPECT_NE(b.find("<body></body>"), std::string::npos);
         }},
        {"noopcss", exactly("")},
        {"noopjs", exactly("(function() {})()")},
        {"noopjson", exactly("{}")},
        {"nooptext", exactly("")},
        {"empty", exactly("")},
        {"noopvmap-1.0", [](const std::string &b) { check_xml(b, "vmap:VMAP", "1.0"); }},
        {"noopvast-2.0", [](const std::string &b) { check_xml(b, "VAST", "2.0"); }},
        {"noopvast-3.0", [](const std::string &b) { check_xml(b, "VAST", "3.0"); }},
        {"noopvast-4.0", [](const std::string &b) { check_xml(b, "VAST", "4.0"); }},
        // An MPEG audio frame sync (11 set bits), or an ID3 tag before it.
        {"noopmp3-0.1s",
         [](const std::string &b) {
             ASSERT_GE(b.size(), 4u);
             EXPECT_TRUE(b.starts_with("ID3") ||
                         (b[0] == '\xff' && (static_cast<uint8_t>(b[1]) & 0xe0) == 0xe0));
         }},
        // An ISO base media file opens with its "ftyp" box.
        {"noopmp4-1s",
         [](const std::string &b) {
             ASSERT_GE(b.size(), 8u);
             EXPECT_EQ(b.substr(4, 4), "ftyp");
         }},
        {"click2load.html",
         [](const std::string &b) {
             EXPECT_TRUE(b.starts_with("<!DOCTYPE html>"));
             EXPECT_NE(b.find("<button"), std::string::npos);
             EXPECT_NE(inline_script(b).find("'http:'"), std::string::npos);
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.title);
        redirect_find_result_t found = redirect_resources_find(base_, row.title, strlen(row.title));
        ASSERT_TRUE(found.found);
        row.check(decoded(found.index));
    }
}

TEST_F(RedirectResources, ScriptsParse) {
    char dir_template[] = "/tmp/ovcore-redirects-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::filesystem::path dir(dir_template);
    std::vector<std::pair<std::string, std::string>> scripts;  // title, script
    for (size_t i = 0; i < base_->count; i++) {
        std::string type = view_text(base_->array[i].content_type);
        std::string title = view_text(base_->array[i].names[0]);
        if (type == "application/javascript;base64") {
            scripts.emplace_back(title, decoded(i));
        } else if (title == "click2load.html") {
            scripts.emplace_back(title, inline_script(decoded(i)));
        }
    }
    EXPECT_EQ(scripts.size(), 26u);  // noopjs, the 24 surrogates and click2load's script
    for (const auto &[title, script] : scripts) {
        SCOPED_TRACE(title);
        EXPECT_FALSE(script.empty());
        std::filesystem::path path = dir / (title + ".js");
        std::ofstream(path, std::ios::binary) << script;
        EXPECT_EQ(node_check(path.string()), 0) << "node --check failed, or node is missing";
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
