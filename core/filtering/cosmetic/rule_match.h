// Whether a cosmetic rule applies to one page: the match context a build
// fills once per call, and the check that the element-hiding and script
// filters share (domains, apps, path, and the generic and domain-less
// switches). Filters add their own conditions after it.
#pragma once

#include <cstdint>

#include "core/commons/logger.h"
#include "core/filtering/cosmetic/cosmetic_rule.h"

struct rule_match_ctx_t {
    uint32_t domain_len;  // 0 when no domain is given
    const char *domain;   // request host; may carry ":port" or be "[v6]"
    const char *app;      // requesting application, or null
    uint32_t path_len;
    const char *path;          // request path, or null
    uint8_t exclude_generic;   // reject generic rules
    uint8_t only_domainless;   // reject rules with any domain entry
    uint8_t exclude_specific;  // reject rules with a permitted domain (CSS only)
    uint8_t require_domains;   // accept only rules with a domain entry (CSS only)
    uint8_t exclude_extended;  // reject extended-CSS rules (CSS only)
    uint8_t only_extended;     // accept only extended-CSS rules (CSS only)
};

// The common part of every match. A foldable exception (one with domains,
// without apps and without a path pattern) never matches: it acts only by
// being folded into the rules it restricts. A domain-less exception is not
// subject to the generic and domain-less switches. At TRACE level it logs
// "is_matching_rule(): considering rule '...'..." and, when the check fails,
// "is_matching_rule(): ...common part check failed", under the name of the
// filters' match step.
bool rulecommon_match_rule(const cosmetic_rule_t *rule, const rule_match_ctx_t *ctx,
                           logger_s *logger);
