// Direct pattern matching against the expressions, on the patterns of the
// real lists and URLs made from them (so that many of them match).
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/commons/logger.h"
#include "core/filtering/common/plain_pattern.h"
#include "core/filtering/urlfilter/rule_parser.h"
#include "tests/support/pattern_reference.h"

namespace {

struct Pattern {
    std::string text;
    bool case_sensitive;
};

std::vector<Pattern> sample_patterns(const std::string &path, size_t every) {
    LogHandle log("plain_pattern_lists", LOG_LEVEL_ERROR);
    urlfilter_context_t context;
    urlfilter_context_init(&context, log.get(), false);
    std::vector<Pattern> out;
    std::ifstream in(path);
    size_t n = 0;
    for (std::string line; std::getline(in, line);) {
        cached_rule_t rule{};
        if (parse_rule(&context, line.data(), line.size(), 0, &rule) != RULE_PARSE_OK) {
            continue;
        }
        if (n++ % every == 0 && plain_pattern_supported(rule.pattern, rule.pattern_len)) {
            out.push_back({std::string(rule.pattern, rule.pattern_len),
                           (rule.flags & RULE_CASE_SENSITIVE) != 0});
        }
        rule_release(&rule);
    }
    urlfilter_context_release(&context);
    return out;
}

// A URL the pattern describes: anchors become a scheme, wildcards and
// separators plain characters.
std::string url_for(const std::string &pattern, char wildcard, char separator) {
    std::string url = pattern.rfind("||", 0) == 0 ? "https://sub." : "https://x.org/";
    for (char c : pattern.substr(pattern.rfind("||", 0) == 0 ? 2 : 0)) {
        url += c == '*' ? wildcard : c == '^' ? separator : c == '|' ? '/' : c;
    }
    return url;
}

TEST(PlainPatternOnRealLists, AgreesWithTheExpressions) {
    const std::string dir =
        "/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist/";
    std::vector<Pattern> patterns = sample_patterns(dir + "easylist.txt", 40);
    std::vector<Pattern> privacy = sample_patterns(dir + "easyprivacy.txt", 40);
    patterns.insert(patterns.end(), privacy.begin(), privacy.end());
    ASSERT_GT(patterns.size(), 1000u) << "the lists come with scripts/install-deps.sh";
    std::vector<std::string> urls;
    for (size_t i = 0; i < patterns.size(); i += 25) {
        urls.push_back(url_for(patterns[i].text, 'x', '/'));
        urls.push_back(url_for(patterns[i].text, '-', '?'));
        urls.push_back(pattern_reference_lower(urls.back()) + "&Q=1");
    }
    size_t matched = 0;
    for (const Pattern &p : patterns) {
        std::vector<std::string> own = {url_for(p.text, 'x', '/'), url_for(p.text, '.', '=')};
        own.insert(own.end(), urls.begin(), urls.end());
        for (const std::string &url : own) {
            std::string subject = p.case_sensitive ? url : pattern_reference_lower(url);
            bool direct = plain_pattern_match(p.text.data(), p.text.size(), p.case_sensitive,
                                              subject.data(), subject.size());
            ASSERT_EQ(direct, pattern_reference_match(p.text, p.case_sensitive, url))
                << "pattern " << p.text << " on " << url;
            matched += direct;
        }
    }
    // The made-up URLs must exercise the matching side too.
    EXPECT_GT(matched, patterns.size());
}

}  // namespace
