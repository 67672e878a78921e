#include "core/filtering/urlfilter/rule_option_handlers.h"

#include "core/filtering/urlfilter/redirect_resources.h"
#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/rule_parser.h"

namespace {

rule_options_t *options_or_log(urlfilter_context_t *engine, cached_rule_t *rule, const char *fn) {
    return rule_options_ensure_logged(rule, engine->logger, fn);
}

}  // namespace

int extract_domains(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                    const char *value) {
    const char kFn[] = "extract_domains";
    if (length == 0) {
        logger_log(engine->logger, LOG_LEVEL_WARN, "%s(): Empty domains list", kFn);
        return 1;
    }
    rule_domains_t domains;
    if (extract_rule_domains_with_delim(value, length, '|', &domains, engine->logger) != 0) {
        logger_log(engine->logger, LOG_LEVEL_WARN, "%s(): Failed to extract domains", kFn);
        return 1;
    }
    rule_options_t *options = options_or_log(engine, rule, kFn);
    if (options == nullptr) {
        rule_domains_release(&domains);
        return -1;
    }
    rule_domains_release(&options->domains);
    options->domains = domains;
    return 0;
}

int extract_denyallow(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                      const char *value) {
    const char kFn[] = "extract_denyallow";
    if (length == 0) {
        logger_log(engine->logger, LOG_LEVEL_WARN, "%s(): Empty domains list", kFn);
        return 1;
    }
    if (pattern_targets_domain(rule)) {
        logger_log(engine->logger, LOG_LEVEL_WARN,
                   "%s(): Rule's matching pattern cannot target any domain", kFn);
        return 1;
    }
    rule_domains_t domains;
    if (extract_rule_domains_with_delim(value, length, '|', &domains, engine->logger) != 0) {
        logger_log(engine->logger, LOG_LEVEL_ERROR, "%s(): Failed to extract domains", kFn);
        return 1;
    }
    bool excluded =
        !string_set_empty(domains.restricted) || !string_set_empty(domains.restricted_any_tld);
    if (excluded || !string_set_empty(domains.permitted_any_tld)) {
        if (excluded) {
            logger_log(engine->logger, LOG_LEVEL_WARN,
                       "%s(): $denyallow modifier can't have excluded domains", kFn);
        } else {
            logger_log(engine->logger, LOG_LEVEL_WARN,
                       "%s(): $denyallow modifier can't have any-TLD domains", kFn);
        }
        rule_domains_release(&domains);
        return 1;
    }
    rule_options_t *options = options_or_log(engine, rule, kFn);
    if (options == nullptr) {
        rule_domains_release(&domains);
        return -1;
    }
    rule_domains_release(&options->denyallow);
    options->denyallow = domains;
    return 0;
}

int extract_apps(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                 const char *value) {
    rule_apps_t apps;
    if (rulecommon_extract_apps(value, length, &apps, engine->logger) != 0) {
        return 1;
    }
    rule_options_t *options = options_or_log(engine, rule, "extract_apps");
    if (options == nullptr) {
        rule_apps_release(&apps);
        return -1;
    }
    rule_apps_release(&options->apps);
    options->apps = apps;
    return 0;
}

int extract_document(urlfilter_context_t *engine, cached_rule_t *rule, size_t, const char *) {
    rule_options_t *options = options_or_log(engine, rule, "extract_document");
    if (options == nullptr) {
        return -1;
    }
    rule->flags |= RULE_DOCUMENT;
    options->permitted_types |= CONTENT_DOCUMENT;
    // An exception for a whole document switches everything off on it.
    if (rule->flags & RULE_WHITELIST) {
        rule->flags |=
            RULE_ELEMHIDE | RULE_JSINJECT | RULE_CONTENT | RULE_URLBLOCK | RULE_EXTENSION;
    }
    return 0;
}

int extract_redirect(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                     const char *option) {
    const char kFn[] = "extract_redirect";
    logger_log(engine->logger, LOG_LEVEL_TRACE, "%s(): Called with rule: %.*s -- option %.*s", kFn,
               static_cast<int>(rule->text_len), rule->text, static_cast<int>(length), option);
    redirect_rule_t *record = nullptr;
    int rc = redirect_rule_parse(engine->redirects, (rule->flags & RULE_WHITELIST) != 0, length,
                                 option, &record);
    if (rc != 0) {
        return rc;
    }
    rule_options_t *options = options_or_log(engine, rule, kFn);
    if (options == nullptr) {
        redirect_rule_free(record);
        return -1;
    }
    redirect_rule_free(options->redirect);
    options->redirect = record;
    return 0;
}

void apply_post_parse_adjustments(cached_rule_t *rule) {
    uint32_t flags = rule->flags;
    const uint32_t kModifying = RULE_REPLACE | RULE_CSP | RULE_BADFILTER | RULE_COOKIE |
                                RULE_REDIRECT | RULE_REMOVEPARAM | RULE_REMOVEHEADER;
    if (!(flags & RULE_WHITELIST) && (flags & RULE_DOCUMENT) && (flags & kModifying)) {
        rule->flags &= ~RULE_DOCUMENT;
    }
    rule_options_t *options = rule->options;
    if (options == nullptr) {
        return;
    }
    if ((flags & RULE_REPLACE) && options->permitted_types == 0) {
        options->permitted_types = CONTENT_OTHER | CONTENT_SCRIPT | CONTENT_STYLESHEET |
                                   CONTENT_OBJECT | CONTENT_XMLHTTPREQUEST | CONTENT_DOCUMENT |
                                   CONTENT_SUBDOCUMENT;
    } else if ((flags & RULE_DOCUMENT) && (flags & RULE_POPUP)) {
        options->permitted_types = 0;
    } else if ((flags & RULE_REMOVEPARAM) && options->permitted_types == 0) {
        options->permitted_types = CONTENT_DOCUMENT;
    }
}
