#include "tests/support/multirules_text.h"

std::string multirules_text(const urlfilter_multirules_t &result) {
    std::string out;
    for (int list = 0; list < URLFILTER_LIST_COUNT; ++list) {
        const urlfilter_rule_list_t &items = result.lists[list];
        if (items.count == 0) {
            continue;
        }
        out += (out.empty() ? "" : " ") + std::string(urlfilter_list_name(list)) + "=[";
        for (size_t i = 0; i < items.count; ++i) {
            out += (i ? " " : "") +
                   std::string(items.items[i].rule->text, items.items[i].rule->text_len);
        }
        out += "]";
    }
    return out;
}
