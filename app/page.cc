// `ovcore page INDEX [--string NAME=VALUE | --raw NAME=VALUE]...`: prints a
// built-in page template rendered with the given pairs, as the core would
// serve it. Without pairs the list is empty (not absent): HTML pages get the
// configuration "{}" and scripts keep their placeholders.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/commands.h"
#include "core/commons/encoding.h"
#include "core/proxy/content/page_templates.h"

namespace {

int page_usage() {
    fprintf(stderr, "usage: ovcore page INDEX [--string NAME=VALUE | --raw NAME=VALUE]...\n");
    return 2;
}

// NAME=VALUE; the name must not be empty, the value may be.
bool parse_pair(const char *text, bool is_string, std::vector<substitution_pair> *pairs) {
    const char *equals = strchr(text, '=');
    if (equals == nullptr || equals == text) {
        return false;
    }
    pairs->push_back({std::string(text, equals), std::string(equals + 1), is_string});
    return true;
}

bool parse_index(const char *text, int *index) {
    std::string_view digits(text);
    uint32_t value = 0;
    if (digits.empty() || parse_integer(digits, 4, &value) != digits.size() || value > 0xffff) {
        return false;
    }
    *index = static_cast<int>(value);
    return true;
}

}  // namespace

int ovcore_page(int argc, char **argv) {
    int index = 0;
    if (argc < 1 || !parse_index(argv[0], &index)) {
        return page_usage();
    }
    std::vector<substitution_pair> pairs;
    for (int i = 1; i < argc; i += 2) {
        bool is_string = strcmp(argv[i], "--string") == 0;
        if ((!is_string && strcmp(argv[i], "--raw") != 0) || i + 1 >= argc ||
            !parse_pair(argv[i + 1], is_string, &pairs)) {
            return page_usage();
        }
    }
    std::string text;
    try {
        text = renderTemplate(index, &pairs);
    } catch (const std::out_of_range &error) {
        fprintf(stderr, "ovcore page: %s\n", error.what());
        return 1;
    }
    // Binary safe: template 4 is a PNG.
    if (fwrite(text.data(), 1, text.size(), stdout) != text.size() || fflush(stdout) != 0) {
        perror("ovcore page");
        return 1;
    }
    return 0;
}
