// The engine end to end on fuzzed input: the input's lines up to an empty
// line are rules, the next lines a URL and a referrer; the last byte picks
// the request type and flags. Rules are added, the request is matched, a rule
// is cleared and the request matched again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/urlfilter.h"

namespace {

std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

void match(urlfilter_s *engine, const std::string &url, const std::string &referrer,
           uint8_t control) {
    urlfilter_request_t request{};
    request.url = url.c_str();
    request.url_len = static_cast<uint32_t>(url.size());
    request.referrer = referrer.c_str();
    request.referrer_len = static_cast<uint32_t>(referrer.size());
    request.request_type = control & 1 ? CONTENT_DOCUMENT : (1u << (control % CONTENT_TYPE_COUNT));
    request.request_flags = static_cast<uint8_t>(control >> 4);
    request.app_name = "app.exe";
    request.app_name_len = 7;
    urlfilter_multirules_t result = urlfilter_matchurl(engine, &request);
    urlfilter_multirules_free(&result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) {
        return 0;
    }
    uint8_t control = data[size - 1];
    std::vector<std::string> lines =
        split_lines(std::string(reinterpret_cast<const char *>(data), size - 1));
    urlfilter_s *engine = urlfilter_new(nullptr, 8);
    size_t i = 0;
    for (; i < lines.size() && !lines[i].empty(); ++i) {
        urlfilter_addrule(engine, lines[i].data(), lines[i].size(), static_cast<int32_t>(i));
    }
    std::string url = i + 1 < lines.size() ? lines[i + 1] : "https://example.org/ads/banner.js";
    std::string referrer = i + 2 < lines.size() ? lines[i + 2] : "";
    match(engine, url, referrer, control);
    if (!lines.empty()) {
        urlfilter_clearrule(engine, lines[0].c_str());
    }
    match(engine, url, referrer, control);
    urlfilter_free(engine);
    return 0;
}
