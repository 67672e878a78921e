// Network rule texts with options, as filter lists from anywhere carry them:
// parse, then compile the pattern and match it against a URL made from the
// input, then clone the rule. No crash, leak, hang or out-of-bounds read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/filtering/common/regex_limits.h"
#include "core/filtering/urlfilter/rule.h"
#include "core/filtering/urlfilter/rule_parser.h"

namespace {

urlfilter_context_t *engine() {
    static urlfilter_context_t *context = [] {
        static urlfilter_context_t c;
        urlfilter_context_init(&c, nullptr, true);
        return &c;
    }();
    return context;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    cached_rule_t rule{};
    if (parse_rule(engine(), text.data(), text.size(), 1, &rule) != RULE_PARSE_OK) {
        return 0;
    }
    if (rule.pattern < rule.text || rule.pattern + rule.pattern_len > rule.text + rule.text_len) {
        abort();
    }
    if (urlfilter_compile_rule(engine(), &rule) == 0) {
        std::string url = "https://example.org/" + text;
        regex_match(rule.regex, url.data(), url.size());
    }
    cached_rule_t clone{};
    if (rule_clone(&rule, &clone)) {
        rule_release(&clone);
    }
    rule_release(&rule);
    return 0;
}
