// "$stealth": the stealth-mode protections an exception switches off, all of
// them without a value or the ones named in "=name|name".
#include <string_view>

#include "core/commons/strview.h"
#include "core/filtering/urlfilter/network_modifiers.h"
#include "core/filtering/urlfilter/rule_options.h"

namespace {

constexpr unsigned kStealthOptionCount = 16;

// Indexed by bit; the names are the ones filter lists write (case-sensitive).
const char *const kStealthNames[kStealthOptionCount] = {
    "1p-cookie", "3p-cookie",     "3p-cache", "xclientdata", "donottrack", "ip",
    "3p-auth",   "searchqueries", "referrer", "useragent",   "webrtc",     "push",
    "location",  "flash",         "java",     "dpi",
};

// The bit named `name`, or kStealthOptionCount when there is none.
unsigned find_stealth_option(std::string_view name) {
    unsigned bit = 0;
    while (bit < kStealthOptionCount && name != kStealthNames[bit]) {
        ++bit;
    }
    return bit;
}

// Parses "=name|name" into the set of bits in `*bits`.
int stealth_extract(logger_s *logger, std::string_view value, uint16_t *bits) {
    static const char kFn[] = "stealth_extract";
    if (value.size() < 2 || value[0] != '=') {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Rule has wrong syntax: expected set of disabled options", kFn);
        return 1;
    }
    std::string_view list = value.substr(1);
    uint16_t set = 0;
    for (;;) {
        size_t bar = strview::find_char(list, '|');
        std::string_view name = strview::trim(list.substr(0, bar));
        unsigned bit = find_stealth_option(name);
        if (bit == kStealthOptionCount) {
            logger_log(logger, LOG_LEVEL_WARN, "%s(): Unexpected stealth rule option: %.*s", kFn,
                       static_cast<int>(name.size()), name.data());
            return 1;
        }
        if (set & (1u << bit)) {
            logger_log(logger, LOG_LEVEL_WARN, "%s(): Duplicated stealth rule option: %.*s", kFn,
                       static_cast<int>(name.size()), name.data());
            return 1;
        }
        set = static_cast<uint16_t>(set | (1u << bit));
        // An empty name after a trailing "|" is refused above like any other.
        if (bar == list.size()) {
            break;
        }
        list.remove_prefix(bar + 1);
    }
    *bits = set;
    return 0;
}

}  // namespace

const char *stealth_option_name(unsigned bit) {
    return bit < kStealthOptionCount ? kStealthNames[bit] : nullptr;
}

int extract_stealth(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                    const char *value) {
    static const char kFn[] = "extract_stealth";
    logger_s *logger = engine->logger;
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Called with rule: %.*s -- option stealth%.*s", kFn,
               static_cast<int>(rule->text_len), rule->text, static_cast<int>(length), value);
    if (!(rule->flags & RULE_WHITELIST)) {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Rule with 'stealth' modifier can't be blocking (%.*s)", kFn,
                   static_cast<int>(rule->text_len), rule->text);
        return 1;
    }
    uint16_t bits = STEALTH_ALL;
    if (length != 0) {
        int status = stealth_extract(logger, {value, length}, &bits);
        if (status != 0) {
            return status;
        }
    }
    rule_options_t *options = rule_options_ensure_logged(rule, logger, kFn);
    if (options == nullptr) {
        return -1;
    }
    options->stealth = bits;
    return 0;
}
