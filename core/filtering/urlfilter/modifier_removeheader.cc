// "$removeheader": the response header (or, with "request:", the request
// header) a rule strips. Headers that keep pages secure or that the proxy
// itself relies on cannot be named.
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/commons/strview.h"
#include "core/filtering/urlfilter/network_modifiers.h"
#include "core/filtering/urlfilter/rule_options.h"

namespace {

constexpr std::string_view kRequestPrefix = "request:";

// Removing any of these would weaken a page's security policy or break the
// framing and negotiation of the message itself.
constexpr std::string_view kForbiddenHeaders[] = {
    "access-control-allow-origin",
    "access-control-allow-credentials",
    "access-control-allow-headers",
    "access-control-allow-methods",
    "access-control-expose-headers",
    "access-control-max-age",
    "access-control-request-headers",
    "access-control-request-method",
    "origin",
    "timing-allow-origin",
    "allow",
    "cross-origin-embedder-policy",
    "cross-origin-opener-policy",
    "cross-origin-resource-policy",
    "content-security-policy",
    "content-security-policy-report-only",
    "expect-ct",
    "feature-policy",
    "origin-isolation",
    "strict-transport-security",
    "upgrade-insecure-requests",
    "x-content-type-options",
    "x-download-options",
    "x-frame-options",
    "x-permitted-cross-domain-policies",
    "x-powered-by",
    "x-xss-protection",
    "public-key-pins",
    "public-key-pins-report-only",
    "sec-websocket-key",
    "sec-websocket-extensions",
    "sec-websocket-accept",
    "sec-websocket-protocol",
    "sec-websocket-version",
    "p3p",
    "sec-fetch-mode",
    "sec-fetch-dest",
    "sec-fetch-site",
    "sec-fetch-user",
    "referrer-policy",
    "content-type",
    "content-length",
    "accept",
    "accept-encoding",
    "host",
    "connection",
    "transfer-encoding",
    "upgrade",
};

// RFC 7230 "tchar", plus the space that some lists write inside names.
bool is_name_byte(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
        return true;
    }
    return std::string_view("!#$%&'*+-.^_`|~ ").find(c) != std::string_view::npos;
}

bool is_valid_name(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        if (!is_name_byte(c)) {
            return false;
        }
    }
    return true;
}

bool is_forbidden(std::string_view name) {
    for (std::string_view forbidden : kForbiddenHeaders) {
        if (strview::equals_nocase(name, forbidden)) {
            return true;
        }
    }
    return false;
}

// Parses "=[request:]name" into a new record in `*out`.
int removeheader_extract(logger_s *logger, std::string_view value, removeheader_t **out) {
    static const char kFn[] = "removeheader_extract";
    if (value[0] != '=') {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Unexpected character at parameter start: %c", kFn,
                   value[0]);
        return 1;
    }
    std::string_view name = value.substr(1);
    bool is_request = strview::starts_with(name, kRequestPrefix);
    if (is_request) {
        name.remove_prefix(kRequestPrefix.size());
    }
    // " Content-Type" names the same header as "Content-Type": trimmed, it
    // cannot slip past the protected names.
    name = strview::trim(name);
    if (!is_valid_name(name)) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Invalid header name", kFn);
        return 1;
    }
    if (is_forbidden(name)) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): Forbidden header name", kFn);
        return 1;
    }
    auto *record = static_cast<removeheader_t *>(calloc(1, sizeof(removeheader_t)));
    char *copy = strndup(name.data(), name.size());
    if (record == nullptr || copy == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate rule options storage", kFn);
        free(record);
        free(copy);
        return -1;
    }
    record->is_response = is_request ? 0 : 1;
    record->name = copy;
    *out = record;
    return 0;
}

}  // namespace

int extract_removeheader(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                         const char *value) {
    static const char kFn[] = "extract_removeheader";
    logger_s *logger = engine->logger;
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): Called with rule: %.*s -- option removeheader%.*s",
               kFn, static_cast<int>(rule->text_len), rule->text, static_cast<int>(length), value);
    removeheader_t *record = nullptr;  // none: an exception for every header
    if (length == 0) {
        if (!(rule->flags & RULE_WHITELIST)) {
            logger_log(logger, LOG_LEVEL_WARN,
                       "%s(): Blocking rule must have some header in parameters", kFn);
            return 1;
        }
    } else {
        int status = removeheader_extract(logger, {value, length}, &record);
        if (status != 0) {
            return status;
        }
    }
    rule_options_t *options = rule_options_ensure_logged(rule, logger, kFn);
    if (options == nullptr) {
        removeheader_free(record);
        return -1;
    }
    removeheader_free(options->removeheader);
    options->removeheader = record;
    return 0;
}

void removeheader_free(removeheader_t *record) {
    if (record == nullptr) {
        return;
    }
    free(record->name);
    free(record);
}
