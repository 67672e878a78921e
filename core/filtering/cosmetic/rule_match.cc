#include "core/filtering/cosmetic/rule_match.h"

#include "core/filtering/cosmetic/rulecommon_storage.h"

namespace {

const char kFn[] = "is_matching_rule";

bool common_check(const cosmetic_rule_t *rule, const rule_match_ctx_t *ctx) {
    bool has_domains = cosmetic_rule_has_domains(rule);
    bool has_apps = cosmetic_rule_has_apps(rule);
    if (!cosmetic_rule_is_exception(rule) || has_domains) {
        if (rulecommon_rule_is_foldable(rule)) {
            return false;
        }
        if ((rule->flags & COSMETIC_GENERIC) && ctx->exclude_generic) {
            return false;
        }
        if (ctx->only_domainless && has_domains) {
            return false;
        }
    }
    if (!match_rule_domains(ctx->domain, ctx->domain_len, &rule->domains).allowed) {
        return false;
    }
    if (has_apps && !match_rule_apps(ctx->app, &rule->modifiers->apps)) {
        return false;
    }
    return !cosmetic_rule_has_path(rule) ||
           path_matcher_match(rule->modifiers->path, ctx->path_len, ctx->path);
}

}  // namespace

bool rulecommon_match_rule(const cosmetic_rule_t *rule, const rule_match_ctx_t *ctx,
                           logger_s *logger) {
    logger_log(logger, LOG_LEVEL_TRACE, "%s(): considering rule '%s'...", kFn, rule->text);
    if (!common_check(rule, ctx)) {
        logger_log(logger, LOG_LEVEL_TRACE, "%s(): ...common part check failed", kFn);
        return false;
    }
    return true;
}
