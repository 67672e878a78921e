#include "core/filtering/cosmetic/cssfilter.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_set>

#include "core/filtering/cosmetic/css_result.h"
#include "core/filtering/cosmetic/rule_match.h"

namespace {

using content_set_t = std::unordered_set<std::string_view>;

std::string_view selector_key(const cosmetic_rule_t *rule) {
    return rule->content;
}

// Element-hiding exceptions pair with rules on the selector, and the
// pairing message names the restricted rule.
constexpr rulecommon_pairing_t kPairing{selector_key, true};

int apply_whitelists(cssfilter_s *filter) {
    filter->index_ready = false;
    filter->common_css_cached = false;
    if (rulecommon_apply_whitelists(&filter->storage, &kPairing, filter->logger) != 0) {
        return -1;
    }
    filter->whitelists_dirty = false;
    filter->index_ready = cosmetic_index_build(&filter->index, &filter->storage) == 0;
    return 0;
}

bool is_matching_rule(const cosmetic_rule_t *rule, const rule_match_ctx_t *ctx, logger_s *logger) {
    if (!rulecommon_match_rule(rule, ctx, logger)) {
        return false;
    }
    bool has_domains = cosmetic_rule_has_domains(rule);
    if (cosmetic_rule_is_exception(rule) && !has_domains) {
        return true;
    }
    bool generic = (rule->flags & COSMETIC_GENERIC) != 0;
    bool extended = (rule->kind & COSMETIC_EXTENDED) != 0;
    if ((generic && ctx->exclude_generic) || (!generic && ctx->exclude_specific) ||
        (extended && ctx->exclude_extended) || (!extended && ctx->only_extended)) {
        return false;
    }
    return !ctx->require_domains || has_domains;
}

// The selectors of the matching exceptions of the exception table. Returns
// 0, or -1 when memory ran out.
int collect_exceptions(cssfilter_s *filter, const rule_match_ctx_t *ctx, content_set_t *excluded) {
    try {
        for (const auto &entry : filter->storage.exceptions) {
            if (is_matching_rule(entry.second, ctx, filter->logger)) {
                excluded->insert(entry.second->content);
            }
        }
    } catch (const std::bad_alloc &) {
        logger_log(filter->logger, LOG_LEVEL_ERROR, "%s(): Couldn't collect matching exceptions",
                   "cssfilter_buildcss_internal");
        return -1;
    }
    return 0;
}

// The rules a build looks at: the index's candidates, or every rule.
const cosmetic_rule_list_t *build_candidates(cssfilter_s *filter, const rule_match_ctx_t *ctx,
                                             cosmetic_rule_list_t *storage) {
    if (ctx->only_domainless) {
        return &filter->index.domainless;
    }
    cosmetic_index_candidates(
        &filter->index, ctx->domain, ctx->domain_len,
        ctx->exclude_extended ? 0u : unsigned{COSMETIC_INDEX_DOMAINLESS_EXTENDED}, storage);
    return storage;
}

// Appends a rule unless an exception names its selector or it does not
// match. Returns 0, or -1 when memory ran out (logged, result released).
int consider_rule(cssfilter_s *filter, const rule_match_ctx_t *ctx, const content_set_t &excluded,
                  const cosmetic_rule_t *rule, css_result_t *result) {
    if (excluded.count(rule->content) != 0 || !is_matching_rule(rule, ctx, filter->logger)) {
        return 0;
    }
    if (add_rule_to_result(result, rule, filter->logger) != 0) {
        logger_log(filter->logger, LOG_LEVEL_ERROR, "%s(): Couldn't add matching rule to result",
                   "cssfilter_buildcss_internal");
        return -1;
    }
    return 0;
}

int consider_rules(cssfilter_s *filter, const rule_match_ctx_t *ctx, const content_set_t &excluded,
                   css_result_t *result) {
    if (!filter->index_ready || logger_trace_enabled(filter->logger)) {
        for (const auto &entry : filter->storage.rules) {
            if (consider_rule(filter, ctx, excluded, entry.second, result) != 0) {
                return -1;
            }
        }
        return 0;
    }
    cosmetic_rule_list_t storage;
    try {
        for (const cosmetic_rule_t *rule : *build_candidates(filter, ctx, &storage)) {
            if (consider_rule(filter, ctx, excluded, rule, result) != 0) {
                return -1;
            }
        }
    } catch (const std::bad_alloc &) {
        logger_log(filter->logger, LOG_LEVEL_ERROR, "%s(): Couldn't collect candidate rules",
                   "cssfilter_buildcss_internal");
        css_result_release(result);
        return -1;
    }
    return 0;
}

char *cssfilter_buildcss_internal(cssfilter_s *filter, const rule_match_ctx_t *ctx) {
    if (filter->whitelists_dirty && apply_whitelists(filter) != 0) {
        return nullptr;
    }
    content_set_t excluded;
    if (collect_exceptions(filter, ctx, &excluded) != 0) {
        return nullptr;
    }
    css_result_t result{};
    if (consider_rules(filter, ctx, excluded, &result) != 0) {
        return nullptr;
    }
    return css_result_finish(&result);
}

const char *included(uint8_t flags, uint8_t bit) {
    return (flags & bit) ? "included" : "excluded";
}

// The context of a build for one domain (cssfilter_buildcss() and
// cssfilter_buildextendedcss()).
rule_match_ctx_t domain_context(const char *domain, uint8_t flags, const char *app,
                                uint32_t path_len, const char *path) {
    rule_match_ctx_t ctx{};
    ctx.domain_len = static_cast<uint32_t>(strlen(domain));
    ctx.domain = domain;
    ctx.app = app;
    ctx.path_len = path_len;
    ctx.path = path;
    ctx.exclude_generic = !(flags & CSSFILTER_GENERIC);
    ctx.exclude_specific = !(flags & CSSFILTER_SPECIFIC);
    return ctx;
}

void log_entry(const cssfilter_s *filter, const char *function, const char *domain, uint8_t flags) {
    logger_log(filter->logger, LOG_LEVEL_TRACE,
               "%s(): Called with domain %s, generics are %s, specifics are %s", function,
               domain != nullptr ? domain : "(null)", included(flags, CSSFILTER_GENERIC),
               included(flags, CSSFILTER_SPECIFIC));
}

}  // namespace

cssfilter_s *cssfilter_create(logger_s *logger) {
    auto *filter = new (std::nothrow) cssfilter_s{};
    if (filter != nullptr) {
        filter->logger = logger;
        filter->parser.logger = logger;
        filter->parser.families = COSMETIC_FAMILY_CSS;
    }
    return filter;
}

void cssfilter_free(cssfilter_s *filter) {
    delete filter;
}

int cssfilter_add_rule(cssfilter_s *filter, const char *text, size_t length) {
    return rulecommon_add_rule_text(&filter->storage, &filter->parser, text, length,
                                    &filter->whitelists_dirty, "cssfilter_add_rule");
}

int cssfilter_remove_rule(cssfilter_s *filter, const char *text, size_t length) {
    return rulecommon_remove_rule_text(&filter->storage, text, length, &filter->whitelists_dirty,
                                       filter->logger);
}

char *cssfilter_buildcss(cssfilter_s *filter, const char *domain, uint8_t flags, const char *app,
                         uint32_t path_len, const char *path) {
    log_entry(filter, "cssfilter_buildcss", domain, flags);
    if (domain == nullptr) {
        return nullptr;
    }
    rule_match_ctx_t ctx = domain_context(domain, flags, app, path_len, path);
    ctx.require_domains = 1;
    ctx.exclude_extended = 1;
    return cssfilter_buildcss_internal(filter, &ctx);
}

char *cssfilter_buildextendedcss(cssfilter_s *filter, const char *domain, uint8_t flags,
                                 const char *app, uint32_t path_len, const char *path) {
    log_entry(filter, "cssfilter_buildextendedcss", domain, flags);
    if (domain == nullptr) {
        return nullptr;
    }
    rule_match_ctx_t ctx = domain_context(domain, flags, app, path_len, path);
    ctx.only_extended = 1;
    return cssfilter_buildcss_internal(filter, &ctx);
}

char *cssfilter_buildcommoncss(cssfilter_s *filter, const char *app, uint32_t path_len,
                               const char *path) {
    logger_log(filter->logger, LOG_LEVEL_TRACE, "%s(): Called", "cssfilter_buildcommoncss");
    rule_match_ctx_t ctx{};
    ctx.app = app;
    ctx.path_len = path_len;
    ctx.path = path;
    ctx.only_domainless = 1;
    ctx.exclude_extended = 1;
    if (filter->whitelists_dirty && apply_whitelists(filter) != 0) {
        return nullptr;
    }
    bool cacheable = filter->index_ready && !filter->index.common_depends_on_page &&
                     !logger_trace_enabled(filter->logger);
    if (!cacheable) {
        return cssfilter_buildcss_internal(filter, &ctx);
    }
    if (!filter->common_css_cached) {
        char *built = cssfilter_buildcss_internal(filter, &ctx);
        if (built == nullptr) {
            return nullptr;  // nothing, or a failure that the next page retries
        }
        try {
            filter->common_css.assign(built);
        } catch (const std::bad_alloc &) {
            return built;
        }
        free(built);
        filter->common_css_cached = true;
    }
    return strdup(filter->common_css.c_str());
}
