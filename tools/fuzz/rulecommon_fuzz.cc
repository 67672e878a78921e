// Rule restriction parsers on arbitrary bytes: domain and app lists, path
// patterns, the bracketed cosmetic prefix, pattern conversion and the
// public-suffix computations. The first byte picks the delimiter and how the
// rest is split between a list and a host.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/commons/strview.h"
#include "core/filtering/common/cosmetic_modifiers.h"
#include "core/filtering/common/path_matcher.h"
#include "core/filtering/common/pattern_to_regex.h"
#include "core/filtering/common/public_suffix.h"
#include "core/filtering/common/rule_apps.h"
#include "core/filtering/common/rule_domains.h"

namespace {

void check_domains(const std::string &list, const std::string &host, char delimiter) {
    rule_domains_t domains;
    if (extract_rule_domains_with_delim(list.data(), list.size(), delimiter, &domains, nullptr) ==
        0) {
        rule_domains_match_t m = match_rule_domains(host.data(), host.size(), &domains);
        if (m.restricted_hit && m.allowed) {
            abort();  // a restricted hit always denies
        }
        rule_domains_release(&domains);
    }
}

void check_path(const std::string &pattern, const std::string &path) {
    path_matcher_t *m = path_matcher_parse(nullptr, pattern.size(), pattern.data());
    path_matcher_match(m, path.size(), path.data());
    path_matcher_free(m);
}

void check_prefix(const std::string &text) {
    cosmetic_modifiers_t modifiers{};
    rule_domains_t domains{};
    bool generic = true;
    cosmetic_modifier_target_t target{&modifiers, &domains, &generic};
    size_t consumed = 0;
    if (cosmetic_modifiers_parse(text.data(), text.size(), &consumed, &target, nullptr) == 0 &&
        consumed > text.size()) {
        abort();
    }
    cosmetic_modifiers_release(&modifiers);
    rule_domains_release(&domains);
}

void check_host(const std::string &host) {
    size_t suffix = registry_length(host.data(), host.size());
    if (suffix > host.size()) {
        abort();
    }
    const char *domain = registrable_domain(host.c_str());
    if (domain != nullptr && (domain < host.c_str() || domain > host.c_str() + host.size())) {
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) {
        return 0;
    }
    char delimiter = (data[0] & 1) ? ',' : '|';
    std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    auto [list, host] = strview::split_once(text, '\n', false);
    std::string list_text(list), host_text(host);

    check_domains(list_text, host_text, delimiter);
    rule_apps_t apps;
    if (rulecommon_extract_apps(list_text.data(), list_text.size(), &apps, nullptr) == 0) {
        match_rule_apps(host_text.c_str(), &apps);
        rule_apps_release(&apps);
    }
    check_path(list_text, host_text);
    check_prefix(text);
    free(pattern_to_regex(text.data(), text.size()));
    check_host(host_text.empty() ? list_text : host_text);
    return 0;
}
