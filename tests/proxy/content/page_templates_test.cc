#include "core/proxy/content/page_templates.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/commons/json_writer.h"

namespace {

const std::string kMarker = "\"{JSON_PLACEHOLDER}\"";

std::string read_asset(const std::string &name) {
    std::ifstream in(std::string(OVCORE_TEST_DATA) + "/../assets/templates/" + name,
                     std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t count(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

// The unrendered page with the marker (quotes included) replaced by `literal`.
std::string with_marker_replaced(int index, const std::string &literal) {
    std::string page = renderTemplate(index, nullptr);
    size_t at = page.find(kMarker);
    EXPECT_NE(at, std::string::npos);
    return page.replace(at, kMarker.size(), literal);
}

std::string quoted(const std::string &text) {
    return json_quote(text.data(), text.size());
}

std::vector<std::string> placeholders(const std::string &text) {
    static const std::regex placeholder(R"(\$_([A-Za-z]+)_)");
    std::vector<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), placeholder), end; it != end; ++it) {
        names.push_back((*it)[1]);
    }
    return names;
}

TEST(PageTemplates, HtmlPagesCarryTheirNameTitleAndOneMarker) {
    struct Row {
        int index;
        const char *page_name;
        const char *title;
    } rows[] = {
        {PAGE_TEMPLATE_BLOCKED, "adBlockedPage", "Access Denied"},
        {PAGE_TEMPLATE_ERROR, "errorPage", "Error"},
        {PAGE_TEMPLATE_SAFEBROWSING, "safebrowsing", "Access Denied"},
        {PAGE_TEMPLATE_PARENTAL, "parental", "Access Denied"},
        {PAGE_TEMPLATE_CERTIFICATE, "certificate", "Certificate"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.page_name);
        std::string page = renderTemplate(row.index, nullptr);
        EXPECT_NE(page.find(std::string("<body data-page-name=\"") + row.page_name + "\">"),
                  std::string::npos);
        EXPECT_TRUE(std::regex_search(
            page, std::regex(std::string("<title[^>]*>") + row.title + "</title>")));
        EXPECT_EQ(count(page, kMarker), 1u);
        EXPECT_EQ(count(page, "JSON.parse(" + kMarker + ")"), 1u);
        // An empty list still configures the page, with an empty object.
        std::vector<substitution_pair> none;
        EXPECT_EQ(renderTemplate(row.index, &none), with_marker_replaced(row.index, "\"{}\""));
    }
}

TEST(PageTemplates, HtmlPairsBecomeOneQuotedObject) {
    struct Row {
        const char *name;
        std::vector<substitution_pair> pairs;
        std::string literal;
    } rows[] = {
        {"locale", {{"locale", "de", true}}, R"("{\"locale\":\"de\"}")"},
        {"raw and string members in order",
         {{"strictMode", "true", false}, {"ruleText", "||ads.example^", true}, {"n", "1", false}},
         R"("{\"strictMode\":true,\"ruleText\":\"||ads.example^\",\"n\":1}")"},
        // Quoted twice: once as a member, once as the literal around the object.
        {"escapes",
         {{"url", "http://a/\"</script>", true}},
         R"("{\"url\":\"http:\\\/\\\/a\\\/\\\"<\\\/script>\"}")"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(renderTemplate(PAGE_TEMPLATE_CERTIFICATE, &row.pairs),
                  with_marker_replaced(PAGE_TEMPLATE_CERTIFICATE, row.literal));
    }
}

TEST(PageTemplates, PixelIsAlwaysTheImage) {
    std::string png = read_asset("pixel.png");
    ASSERT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
    std::vector<substitution_pair> none;
    std::vector<substitution_pair> some = {{"locale", "de", true}, {"x", "1", false}};
    EXPECT_EQ(renderTemplate(PAGE_TEMPLATE_PIXEL, nullptr), png);
    EXPECT_EQ(renderTemplate(PAGE_TEMPLATE_PIXEL, &none), png);
    EXPECT_EQ(renderTemplate(PAGE_TEMPLATE_PIXEL, &some), png);
}

TEST(PageTemplates, IndicesOutsideTheSetAreEmpty) {
    std::vector<substitution_pair> some = {{"locale", "de", true}};
    for (int index : {-1, PAGE_TEMPLATE_COUNT, 100}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(renderTemplate(index, nullptr), "");
        EXPECT_EQ(renderTemplate(index, &some), "");
    }
}

TEST(PageTemplates, ScriptsKeepTheirPlaceholdersInOrder) {
    struct Row {
        int index;
        const char *file;
        std::vector<std::string> names;
    } rows[] = {
        {PAGE_TEMPLATE_CONTENT_SCRIPT,
         "content_script.js",
         {"commonCss", "specificCss", "extendedCss", "script", "nonce", "filteringContext",
          "interceptionContext", "safeBrowsingUrl"}},
        {PAGE_TEMPLATE_STEALTH_SCRIPT,
         "stealth_script.js",
         {"userAgent", "blockWebRtc", "blockPush", "blockLocation", "blockFlash", "blockJava",
          "referrer", "nonce", "cookieTtl", "doNotTrack"}},
    };
    std::vector<substitution_pair> none;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.file);
        std::string source = read_asset(row.file);
        // Whole scripts are too long to print; a difference is reported by name.
        EXPECT_TRUE(renderTemplate(row.index, nullptr) == source) << "null list";
        EXPECT_TRUE(renderTemplate(row.index, &none) == source) << "empty list";
        EXPECT_EQ(placeholders(source), row.names);
        EXPECT_EQ(source.rfind("/*!", 0), 0u) << "a version comment comes first";
    }
}

TEST(PageTemplates, ScriptPairsReplaceTheirPlaceholders) {
    std::vector<substitution_pair> pairs = {
        {"commonCss", "a { display: none !important; }", true},
        {"specificCss", "null", false},
        {"extendedCss", "", true},
        {"script", "alert(\"x\");\n", true},
        {"filteringContext", R"({"isReferrerRuleJsInject":false,"isReferrerRuleElemhide":true})",
         false},
        {"interceptionContext", "{}", false},
        {"nonce", "n0nce", true},
        {"safeBrowsingUrl", "//api.local?type=sfbr-script&ltt=t", true},
    };
    std::string expected = read_asset("content_script.js");
    for (const substitution_pair &pair : pairs) {
        std::string placeholder = "$_" + pair.name + "_";
        size_t at = expected.find(placeholder);
        ASSERT_NE(at, std::string::npos) << placeholder;
        expected.replace(at, placeholder.size(), pair.is_string ? quoted(pair.value) : pair.value);
    }
    std::string script = renderTemplate(PAGE_TEMPLATE_CONTENT_SCRIPT, &pairs);
    EXPECT_TRUE(script == expected);
    EXPECT_EQ(placeholders(script), std::vector<std::string>{});
}

// A value holding another pair's placeholder text (a rule's CSS, a user
// agent) is inserted as it is and takes no placeholder: the later pair
// still finds its own in the template.
TEST(PageTemplates, ValuesNeverCaptureLaterPlaceholders) {
    std::vector<substitution_pair> pairs = {
        {"commonCss", ".x[title=\"$_nonce_\"] { display: none!important; }", true},
        {"specificCss", "null", false},
        {"extendedCss", "null", false},
        {"script", "var $_safeBrowsingUrl_ = 1;", true},
        {"nonce", "n0nce", true},
        {"filteringContext", "{}", false},
        {"interceptionContext", "{}", false},
        {"safeBrowsingUrl", "null", false},
    };
    std::string script = renderTemplate(PAGE_TEMPLATE_CONTENT_SCRIPT, &pairs);
    std::string template_text = read_asset("content_script.js");
    std::string region_start = template_text.substr(0, template_text.find("$_commonCss_"));
    EXPECT_EQ(script.substr(0, region_start.size()), region_start);
    EXPECT_NE(script.find((quoted)(pairs[0].value)), std::string::npos);
    EXPECT_NE(script.find((quoted)(pairs[3].value)), std::string::npos);
    EXPECT_NE(script.find("\"n0nce\""), std::string::npos);
    // The only placeholder texts left are the ones inside the two values.
    EXPECT_EQ(placeholders(script), (std::vector<std::string>{"nonce", "safeBrowsingUrl"}));
}

TEST(PageTemplates, PairWithoutPlaceholderIsInvalidStringPosition) {
    struct Row {
        int index;
        std::vector<substitution_pair> pairs;
    } rows[] = {
        {PAGE_TEMPLATE_CONTENT_SCRIPT, {{"userAgent", "x", true}}},
        {PAGE_TEMPLATE_STEALTH_SCRIPT,
         {{"blockJava", "true", false}, {"commonCss", "null", false}}},
        // A placeholder is used up by its first pair.
        {PAGE_TEMPLATE_CONTENT_SCRIPT, {{"nonce", "a", true}, {"nonce", "b", true}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.pairs.back().name);
        try {
            renderTemplate(row.index, &row.pairs);
            ADD_FAILURE() << "no exception";
        } catch (const std::out_of_range &error) {
            EXPECT_STREQ(error.what(), "invalid string position");
        }
    }
}

// Each test runs in a process of its own: these calls race to prepare the
// descriptors.
TEST(PageTemplates, FirstCallsFromManyThreadsAgree) {
    std::vector<substitution_pair> pairs = {{"locale", "fr", true}};
    std::vector<std::string> results(8);
    std::vector<std::thread> threads;
    for (std::string &result : results) {
        threads.emplace_back(
            [&result, &pairs] { result = renderTemplate(PAGE_TEMPLATE_CERTIFICATE, &pairs); });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    for (const std::string &result : results) {
        EXPECT_EQ(result,
                  with_marker_replaced(PAGE_TEMPLATE_CERTIFICATE, R"("{\"locale\":\"fr\"}")"));
    }
}

}  // namespace
