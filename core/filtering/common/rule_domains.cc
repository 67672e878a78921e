#include "core/filtering/common/rule_domains.h"

#include <cstring>

#include "core/filtering/common/list_items.h"
#include "core/filtering/common/public_suffix.h"

namespace {

const char kParseFn[] = "extract_rule_domains_with_delim";

string_set_t **set_for(rule_domains_t *d, bool restricted, bool any_tld) {
    if (any_tld) {
        return restricted ? &d->restricted_any_tld : &d->permitted_any_tld;
    }
    return restricted ? &d->restricted : &d->permitted;
}

// Adds one item (already trimmed) to its set. Returns 0 or -1.
int add_domain_item(const char *item, size_t length, const char *list_rest, size_t rest_length,
                    rule_domains_t *out, logger_s *logger) {
    bool restricted = length > 0 && item[0] == '~';
    if (restricted) {
        ++item, --length;
    }
    if (length == 0) {
        // "~" alone names no domain: it is as empty as ",,".
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Empty domain: %.*s", kParseFn,
                   static_cast<int>(rest_length), list_rest);
        return -1;
    }
    if (length > RULE_DOMAIN_MAX_LENGTH) {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): Specified domain '%.*s' is too long (maximum allowed length=%u)",
                   kParseFn, static_cast<int>(length), item,
                   static_cast<unsigned>(RULE_DOMAIN_MAX_LENGTH));
        return -1;
    }
    bool any_tld = length >= 3 && item[length - 2] == '.' && item[length - 1] == '*';
    if (any_tld) {
        length -= 2;
    }
    if (string_set_contains(*set_for(out, !restricted, any_tld), item, length)) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Domain can't be both enabled and excluded: %.*s",
                   kParseFn, static_cast<int>(length), item);
        return -1;
    }
    string_set_t **set = set_for(out, restricted, any_tld);
    if ((*set == nullptr && (*set = string_set_new()) == nullptr) ||
        string_set_put(*set, item, length) < 0) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Failed to put domain into table: %.*s", kParseFn,
                   static_cast<int>(length), item);
        return -1;
    }
    return 0;
}

}  // namespace

int extract_rule_domains_with_delim(const char *text, size_t length, char delimiter,
                                    rule_domains_t *out, logger_s *logger) {
    *out = {};
    list_item_t item;
    for (size_t pos = 0; next_list_item(text, length, delimiter, &pos, &item);) {
        if (add_domain_item(item.text, item.length, text + item.start, length - item.start, out,
                            logger) != 0) {
            rule_domains_release(out);
            return -1;
        }
    }
    return 0;
}

int extract_rule_domains(const char *prefix, size_t length, rule_domains_t *domains, bool *generic,
                         logger_s *logger) {
    if (length == 1 && prefix[0] == '*') {
        length = 0;
    }
    if (length > 0 && !rule_domains_empty(domains)) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Rule already has domain restrictions",
                   "extract_rule_domains");
        return -1;
    }
    rule_domains_t parsed;
    if (extract_rule_domains_with_delim(prefix, length, ',', &parsed, logger) != 0) {
        return -1;
    }
    if (length > 0) {
        rule_domains_release(domains);
        *domains = parsed;
    }
    // Judged on the list the rule ends up with, so that domains given by a
    // bracketed "domain=" modifier keep an unprefixed rule specific.
    *generic = rule_domains_generic(domains);
    return 0;
}

namespace {

struct CopyTarget {
    string_set_t **set;
};

int copy_key(void *arg, const char *key, size_t length) {
    string_set_t **set = static_cast<CopyTarget *>(arg)->set;
    if (*set == nullptr && (*set = string_set_new()) == nullptr) {
        return -1;
    }
    return string_set_put(*set, key, length) < 0 ? -1 : 0;
}

}  // namespace

int copy_domains_as_restrictions(rule_domains_t *target, const rule_domains_t *source) {
    CopyTarget plain{&target->restricted};
    CopyTarget any_tld{&target->restricted_any_tld};
    if (string_set_foreach(source->permitted, copy_key, &plain) != 0 ||
        string_set_foreach(source->permitted_any_tld, copy_key, &any_tld) != 0) {
        return -1;
    }
    return 0;
}

size_t any_tld_key_length(const char *host, size_t length) {
    size_t suffix = registry_length(host, length);
    return suffix == 0 || suffix + 1 > length ? 0 : length - suffix - 1;
}

rule_domains_match_t match_rule_domains(const char *host, size_t length, const rule_domains_t *d) {
    if (d == nullptr || rule_domains_empty(d)) {
        return {true, false};
    }
    if (length == 0) {
        return {rule_domains_generic(d), false};
    }
    // The host part: a bracketed IPv6 literal whole, otherwise without a port.
    if (!(length >= 3 && host[0] == '[' && host[length - 1] == ']')) {
        for (size_t i = length; i > 0; --i) {
            if (host[i - 1] == ':') {
                length = i - 1;
                break;
            }
        }
    }
    bool any_tld =
        !string_set_empty(d->permitted_any_tld) || !string_set_empty(d->restricted_any_tld);
    size_t key_length = any_tld ? any_tld_key_length(host, length) : 0;

    rule_domains_match_t result{rule_domains_generic(d), false};
    if (!string_set_empty(d->permitted)) {
        result.allowed = string_set_contains_suffix(d->permitted, host, length);
    }
    if (!result.allowed && !string_set_empty(d->permitted_any_tld) && key_length > 0) {
        result.allowed = string_set_contains_suffix(d->permitted_any_tld, host, key_length);
    }
    if (result.allowed && !string_set_empty(d->restricted)) {
        result.restricted_hit = string_set_contains_suffix(d->restricted, host, length);
        result.allowed = !result.restricted_hit;
    }
    if (result.allowed && !string_set_empty(d->restricted_any_tld) && key_length > 0) {
        result.restricted_hit = string_set_contains_suffix(d->restricted_any_tld, host, key_length);
        result.allowed = !result.restricted_hit;
    }
    return result;
}

bool rule_domains_generic(const rule_domains_t *d) {
    return d == nullptr ||
           (string_set_empty(d->permitted) && string_set_empty(d->permitted_any_tld));
}

bool rule_domains_empty(const rule_domains_t *d) {
    return d == nullptr || (rule_domains_generic(d) && string_set_empty(d->restricted) &&
                            string_set_empty(d->restricted_any_tld));
}

void rule_domains_release(rule_domains_t *d) {
    string_set_free(d->permitted);
    string_set_free(d->restricted);
    string_set_free(d->permitted_any_tld);
    string_set_free(d->restricted_any_tld);
    *d = {};
}
