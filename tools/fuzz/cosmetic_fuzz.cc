// Cosmetic rules on arbitrary bytes, through the facade as a host adds them:
// the first line is the page's host, every further line a rule. Each rule is
// added (converted when foreign), the page's CSS and script are built, and
// every rule is cleared again, after which no filter may hold anything.
// Two element-hiding filters and two script filters hold the same rules,
// one of each building from its index and one (at TRACE) walking every
// rule: the CSS texts must hide and style the same things, the scripts must
// be the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/filtering/cosmetic/cssfilter.h"
#include "core/filtering/cosmetic/jsfilter.h"
#include "core/proxy/filter_content.h"
#include "core/proxy/filter_url.h"
#include "core/proxy/proxy_filter_factory.h"

namespace {

void discard(void *, const char *, int, const char *) {}

std::vector<std::string> lines_of(std::string_view text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start <= text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Selectors and style blocks of a built text, sorted: groups may split
// differently with the walk's order.
std::vector<std::string> effect(char *css) {
    std::vector<std::string> all;
    std::string_view rest = css != nullptr ? css : "";
    const std::string_view hide = " { display: none!important; }";
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        if (end == std::string_view::npos) {
            abort();  // every line ends with a line feed
        }
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        if (line.ends_with(hide)) {
            line.remove_suffix(hide.size());
            for (size_t comma; (comma = line.find(", ")) != std::string_view::npos;) {
                all.emplace_back(line.substr(0, comma));
                line.remove_prefix(comma + 2);
            }
        }
        all.emplace_back(line);
    }
    free(css);
    std::sort(all.begin(), all.end());
    return all;
}

struct Filters {
    logger_s *quiet = logger_open_with_callback("fuzz", LOG_LEVEL_ERROR, discard, nullptr);
    logger_s *tracing = logger_open_with_callback("fuzz", LOG_LEVEL_TRACE, discard, nullptr);
    cssfilter_s *indexed = cssfilter_create(quiet);
    cssfilter_s *walking = cssfilter_create(tracing);
    jsfilter_s *indexed_js = jsfilter_create(quiet);
    jsfilter_s *walking_js = jsfilter_create(tracing);
    ~Filters() {
        cssfilter_free(indexed);
        cssfilter_free(walking);
        jsfilter_free(indexed_js);
        jsfilter_free(walking_js);
        logger_close(quiet);
        logger_close(tracing);
    }
};

// Comparing the effects assumes no two selectors hide the same thing twice
// in one text, which holds: the storage keeps one rule per text.
void compare_walks(Filters &filters, const std::string &host) {
    const char *path = "/";
    if (effect(cssfilter_buildcss(filters.indexed, host.c_str(), 3, "app", 1, path)) !=
            effect(cssfilter_buildcss(filters.walking, host.c_str(), 3, "app", 1, path)) ||
        effect(cssfilter_buildextendedcss(filters.indexed, host.c_str(), 1, "app", 1, path)) !=
            effect(cssfilter_buildextendedcss(filters.walking, host.c_str(), 1, "app", 1, path)) ||
        effect(cssfilter_buildcommoncss(filters.indexed, "app", 1, path)) !=
            effect(cssfilter_buildcommoncss(filters.walking, "app", 1, path))) {
        abort();
    }
    for (bool generic : {true, false}) {
        js_buffer_t a = jsfilter_buildjs(filters.indexed_js, host.c_str(), generic, "app", 1, path);
        js_buffer_t b = jsfilter_buildjs(filters.walking_js, host.c_str(), generic, "app", 1, path);
        bool same = std::string_view(a.data ? a.data : "", a.length) ==
                    std::string_view(b.data ? b.data : "", b.length);
        js_buffer_release(&a);
        js_buffer_release(&b);
        if (!same) {
            abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool quiet = (logger_set_default_log_level(LOG_LEVEL_ERROR), true);
    (void)quiet;
    std::vector<std::string> lines =
        lines_of(std::string_view(reinterpret_cast<const char *>(data), size));
    const std::string host = lines.front();
    auto facade = ov_make_proxy_filter({});
    auto *content = static_cast<OvFilterContent *>(facade->getFilter(typeid(OvFilterContent)));
    auto *url = static_cast<OvFilterUrl *>(facade->getFilter(typeid(OvFilterUrl)));
    Filters filters;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string &rule = lines[i];
        facade->addRule(rule.data(), rule.size(), 0);
        cssfilter_add_rule(filters.indexed, rule.data(), rule.size());
        cssfilter_add_rule(filters.walking, rule.data(), rule.size());
        jsfilter_add_rule(filters.indexed_js, rule.data(), rule.size());
        jsfilter_add_rule(filters.walking_js, rule.data(), rule.size());
    }
    std::string query = "dmn=" + host + "&pth=%2F&css=3&js=1";
    content->composeInjection(OvQueryParameters(query));
    compare_walks(filters, host);
    for (size_t i = 1; i < lines.size(); ++i) {
        facade->clearRule(lines[i]);
    }
    content->composeInjection(OvQueryParameters(query));
    if (content->ruleCount() != 0 || url->ruleCount() != 0) {
        abort();  // clearing every rule added must leave nothing behind
    }
    return 0;
}
