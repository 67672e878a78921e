#include "core/proxy/content/page_templates.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "core/commons/json_writer.h"
#include "core/commons/logger.h"

// The templates, embedded by the build (core/CMakeLists.txt); the HTML pages
// are assembled there from assets/templates/ with the shared style, script
// and dictionaries.
extern const unsigned char ovcore_template_blocked[];
extern const size_t ovcore_template_blocked_size;
extern const unsigned char ovcore_template_error[];
extern const size_t ovcore_template_error_size;
extern const unsigned char ovcore_template_safebrowsing[];
extern const size_t ovcore_template_safebrowsing_size;
extern const unsigned char ovcore_template_parental[];
extern const size_t ovcore_template_parental_size;
extern const unsigned char ovcore_template_pixel[];
extern const size_t ovcore_template_pixel_size;
extern const unsigned char ovcore_template_content_script[];
extern const size_t ovcore_template_content_script_size;
extern const unsigned char ovcore_template_stealth_script[];
extern const size_t ovcore_template_stealth_script_size;
extern const unsigned char ovcore_template_certificate[];
extern const size_t ovcore_template_certificate_size;

namespace {

enum class template_kind { html, binary, script };

struct template_source {
    const unsigned char *data;
    const size_t *size;
    template_kind kind;
};

const template_source kSources[PAGE_TEMPLATE_COUNT] = {
    {ovcore_template_blocked, &ovcore_template_blocked_size, template_kind::html},
    {ovcore_template_error, &ovcore_template_error_size, template_kind::html},
    {ovcore_template_safebrowsing, &ovcore_template_safebrowsing_size, template_kind::html},
    {ovcore_template_parental, &ovcore_template_parental_size, template_kind::html},
    {ovcore_template_pixel, &ovcore_template_pixel_size, template_kind::binary},
    {ovcore_template_content_script, &ovcore_template_content_script_size, template_kind::script},
    {ovcore_template_stealth_script, &ovcore_template_stealth_script_size, template_kind::script},
    {ovcore_template_certificate, &ovcore_template_certificate_size, template_kind::html},
};

// The marker's quotes belong to it: the page holds JSON.parse("{JSON_PLACEHOLDER}")
// and receives JSON.parse("<escaped object text>").
constexpr std::string_view kHtmlMarker = "\"{JSON_PLACEHOLDER}\"";

struct template_descriptor {
    std::string_view text;
    template_kind kind = template_kind::binary;
    ptrdiff_t marker = -1;    // HTML: offset of kHtmlMarker, -1 when missing
    size_t region_begin = 0;  // scripts: the placeholder region [begin, end)
    size_t region_end = 0;
};

template_descriptor g_descriptors[PAGE_TEMPLATE_COUNT];
std::atomic<bool> g_prepared{false};
std::atomic<int> g_spin{0};

template_descriptor describe(const template_source &source) {
    template_descriptor d;
    d.text = std::string_view(reinterpret_cast<const char *>(source.data), *source.size);
    d.kind = source.kind;
    if (d.kind == template_kind::html) {
        size_t at = d.text.find(kHtmlMarker);
        d.marker = at == std::string_view::npos ? -1 : static_cast<ptrdiff_t>(at);
    } else if (d.kind == template_kind::script) {
        // From the first "$_" to the closing "_" of the last placeholder;
        // without placeholders the region runs to the end of the text.
        size_t first = d.text.find("$_");
        size_t last = d.text.rfind("$_");
        size_t close = last == std::string_view::npos ? last : d.text.find('_', last + 2);
        d.region_begin = first == std::string_view::npos ? 0 : first;
        d.region_end = close == std::string_view::npos ? d.text.size() : close + 1;
    }
    return d;
}

// The descriptors never change once made; later calls only read the flag.
void prepare_descriptors() {
    if (g_prepared.load(std::memory_order_acquire)) {
        return;
    }
    while (g_spin.exchange(1, std::memory_order_acquire) != 0) {
        std::this_thread::yield();
    }
    if (!g_prepared.load(std::memory_order_relaxed)) {
        for (int i = 0; i < PAGE_TEMPLATE_COUNT; ++i) {
            g_descriptors[i] = describe(kSources[i]);
        }
        g_prepared.store(true, std::memory_order_release);
    }
    g_spin.store(0, std::memory_order_release);
}

std::string render_html(const template_descriptor &d, const std::vector<substitution_pair> &pairs) {
    // The build refuses a page without exactly one marker (page_assemble.cmake).
    OV_ASSERT(d.marker >= 0);
    std::vector<json_pair> members;
    members.reserve(pairs.size());
    for (const substitution_pair &pair : pairs) {
        members.push_back({pair.name, pair.value, pair.is_string});
    }
    std::string object = json_object_build(members.data(), members.size());
    std::string literal = json_quote(object.data(), object.size());
    size_t marker = static_cast<size_t>(d.marker);
    std::string out;
    out.reserve(d.text.size() - kHtmlMarker.size() + literal.size());
    out.append(d.text.substr(0, marker));
    out.append(literal);
    out.append(d.text.substr(marker + kHtmlMarker.size()));
    return out;
}

// Each pair takes the first occurrence of its placeholder in the template's
// own region that no earlier pair took. Placeholders are looked up in the
// template, never in values already inserted: a filter rule or a user agent
// holding "$_nonce_" must not capture a later pair and leave the real
// placeholder behind, which would break the whole script.
std::string render_script(const template_descriptor &d,
                          const std::vector<substitution_pair> &pairs) {
    std::string_view region = d.text.substr(d.region_begin, d.region_end - d.region_begin);
    struct Insertion {
        size_t at, length;
        std::string value;
    };
    std::vector<Insertion> insertions;
    for (const substitution_pair &pair : pairs) {
        std::string placeholder = "$_" + pair.name + "_";
        size_t at = region.find(placeholder);
        auto overlapping = [&](size_t from) {
            return std::find_if(insertions.begin(), insertions.end(), [&](const Insertion &taken) {
                return from < taken.at + taken.length && taken.at < from + placeholder.size();
            });
        };
        for (auto taken = insertions.end();
             at != std::string_view::npos && (taken = overlapping(at)) != insertions.end();) {
            at = region.find(placeholder, at + 1);
        }
        if (at == std::string_view::npos) {
            throw std::out_of_range("invalid string position");
        }
        insertions.push_back(
            {at, placeholder.size(),
             pair.is_string ? json_quote(pair.value.data(), pair.value.size()) : pair.value});
    }
    std::sort(insertions.begin(), insertions.end(),
              [](const Insertion &a, const Insertion &b) { return a.at < b.at; });
    std::string out(d.text.substr(0, d.region_begin));
    size_t copied = 0;
    for (const Insertion &insertion : insertions) {
        out.append(region.substr(copied, insertion.at - copied)).append(insertion.value);
        copied = insertion.at + insertion.length;
    }
    out.append(region.substr(copied));
    out.append(d.text.substr(d.region_end));
    return out;
}

}  // namespace

std::string renderTemplate(int index, const std::vector<substitution_pair> *pairs) {
    if (index < 0 || index >= PAGE_TEMPLATE_COUNT) {
        return {};
    }
    prepare_descriptors();
    const template_descriptor &d = g_descriptors[index];
    if (pairs == nullptr || d.kind == template_kind::binary) {
        return std::string(d.text);
    }
    return d.kind == template_kind::html ? render_html(d, *pairs) : render_script(d, *pairs);
}
