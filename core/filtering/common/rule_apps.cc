#include "core/filtering/common/rule_apps.h"

#include <cstring>

#include "core/filtering/common/list_items.h"

namespace {

const char kFn[] = "rulecommon_extract_apps";

// Adds one trimmed item. Returns 0 or -1.
int add_app_item(const char *item, size_t length, const char *after, size_t after_length,
                 rule_apps_t *out, logger_s *logger) {
    bool restricted = length > 0 && item[0] == '~';
    if (restricted) {
        ++item, --length;
    }
    if (length == 0) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Found empty app name: %.*s", kFn,
                   static_cast<int>(after_length), after);
        return -1;
    }
    string_set_t **set = restricted ? &out->restricted : &out->permitted;
    if (*set == nullptr && (*set = string_set_new()) == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Failed to create excluded apps table", kFn);
        return -1;
    }
    const string_set_t *opposite = restricted ? out->permitted : out->restricted;
    if (string_set_contains(opposite, item, length)) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): App can't be both enabled and excluded: %.*s",
                   kFn, static_cast<int>(length), item);
        return -1;
    }
    int rc = string_set_put(*set, item, length);
    if (rc == 1) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Found duplicate app name: %.*s", kFn,
                   static_cast<int>(length), item);
    } else if (rc < 0) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Failed to put app into table: %.*s", kFn,
                   static_cast<int>(length), item);
        return -1;
    }
    return 0;
}

}  // namespace

int rulecommon_extract_apps(const char *text, size_t length, rule_apps_t *out, logger_s *logger) {
    *out = {};
    list_item_t item;
    for (size_t pos = 0; next_list_item(text, length, '|', &pos, &item);) {
        if (add_app_item(item.text, item.length, text + item.end, length - item.end, out, logger) !=
            0) {
            rule_apps_release(out);
            return -1;
        }
    }
    return 0;
}

bool match_rule_apps(const char *app_name, const rule_apps_t *apps) {
    if (apps == nullptr) {
        return true;
    }
    size_t length = app_name ? strlen(app_name) : 0;
    if (!string_set_empty(apps->permitted) &&
        (length == 0 || !string_set_contains(apps->permitted, app_name, length))) {
        return false;
    }
    return string_set_empty(apps->restricted) || length == 0 ||
           !string_set_contains(apps->restricted, app_name, length);
}

void rule_apps_release(rule_apps_t *apps) {
    string_set_free(apps->permitted);
    string_set_free(apps->restricted);
    *apps = {};
}
