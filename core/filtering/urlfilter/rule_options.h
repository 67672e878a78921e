// The options of a network rule ("$third-party,image,domain=a.com"): content
// types, domain, deny-allow and app lists and the records of the value
// modifiers. Created zero-filled when the first option needs it and owned by
// the rule; rule_options_free() releases it with everything it holds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/commons/logger.h"
#include "core/filtering/common/rule_apps.h"
#include "core/filtering/common/rule_domains.h"

struct cached_rule_t;
struct cookie_rule_t;
struct hls_rule_t;
struct redirect_rule_t;
struct removeheader_t;
struct removeparam_t;

// Content types: bits of the permitted and restricted masks, and of a
// request's type. content_type_name() gives the names messages use.
enum : uint32_t {
    CONTENT_OTHER = 1u << 0,
    CONTENT_IMAGE = 1u << 1,
    CONTENT_SCRIPT = 1u << 2,
    CONTENT_STYLESHEET = 1u << 3,
    CONTENT_OBJECT = 1u << 4,
    CONTENT_XMLHTTPREQUEST = 1u << 5,
    CONTENT_MEDIA = 1u << 6,
    CONTENT_FONT = 1u << 7,
    CONTENT_DOCUMENT = 1u << 8,
    CONTENT_WEBSOCKET = 1u << 9,
    CONTENT_PING = 1u << 10,
    CONTENT_SUBDOCUMENT = 1u << 11,
};
constexpr unsigned CONTENT_TYPE_COUNT = 12;

// "OTHER", "IMAGE", ... for bits 0 to 11; null otherwise.
const char *content_type_name(unsigned bit);

struct rule_options_t {
    char *badfilter_text;  // the rule text without its badfilter option
    char *replace_text;    // "$replace=" value
    char *csp_text;        // "$csp=" value
    cookie_rule_t *cookie;
    redirect_rule_t *redirect;
    removeparam_t *removeparam;
    removeheader_t *removeheader;
    hls_rule_t *hls;
    uint16_t stealth;  // stealth options the rule switches off
    rule_domains_t domains;
    rule_domains_t denyallow;  // only `permitted` is ever filled
    rule_apps_t apps;
    uint32_t permitted_types;
    uint32_t restricted_types;
};

// Returns the rule's options, creating them when missing; null when memory
// runs out (the caller logs).
rule_options_t *rule_options_ensure(cached_rule_t *rule);

// rule_options_ensure() that logs "<fn>(): Couldn't allocate rule options
// storage" (ERROR) when memory runs out.
rule_options_t *rule_options_ensure_logged(cached_rule_t *rule, logger_s *logger, const char *fn);

void rule_options_free(rule_options_t *options);
