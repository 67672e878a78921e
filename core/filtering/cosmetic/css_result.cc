#include "core/filtering/cosmetic/css_result.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view kGroupSeparator = ", ";
constexpr std::string_view kHideBlock = " { display: none!important; }\n";

int append_view(css_result_t *result, std::string_view text) {
    return css_result_append(result, text.data(), text.size());
}

int close_group(css_result_t *result) {
    if (result->group_count == 0) {
        return 0;
    }
    result->group_count = 0;
    return append_view(result, kHideBlock);
}

}  // namespace

int css_result_append(css_result_t *result, const char *bytes, size_t length) {
    size_t need = result->length + length + 1;
    if (need > result->capacity) {
        size_t capacity = result->capacity;
        while (capacity < need) {
            capacity = 2 * capacity + 1;
        }
        auto *data = static_cast<char *>(realloc(result->data, capacity));
        if (data == nullptr) {
            css_result_release(result);
            return -1;
        }
        result->data = data;
        result->capacity = capacity;
    }
    memcpy(result->data + result->length, bytes, length);
    result->length += length;
    result->data[result->length] = '\0';
    return 0;
}

int add_rule_to_result(css_result_t *result, const cosmetic_rule_t *rule, logger_s *logger) {
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Called with rule: %s", "add_rule_to_result",
               rule->text);
    std::string_view content(rule->content);
    if (rule->kind & COSMETIC_STYLE) {
        if (close_group(result) != 0 || append_view(result, content) != 0) {
            return -1;
        }
        return append_view(result, "\n");
    }
    bool extended = (rule->kind & COSMETIC_EXTENDED) != 0;
    // The extended engine takes one selector per block, so an extended
    // selector joins no group (builds never mix the two kinds anyway).
    if (extended && close_group(result) != 0) {
        return -1;
    }
    if ((result->group_count > 0 && append_view(result, kGroupSeparator) != 0) ||
        append_view(result, content) != 0) {
        return -1;
    }
    ++result->group_count;
    if (result->group_count >= CSS_GROUP_MAX || extended) {
        return close_group(result);
    }
    return 0;
}

char *css_result_finish(css_result_t *result) {
    char *text = nullptr;
    if (result->length > 0 && close_group(result) == 0) {
        text = result->data;
        *result = {};
    }
    css_result_release(result);
    return text;
}

void css_result_release(css_result_t *result) {
    free(result->data);
    *result = {};
}
