#include "core/filtering/urlfilter/rule_options.h"

#include <cstdlib>

#include "core/filtering/urlfilter/network_modifiers.h"
#include "core/filtering/urlfilter/redirect_resources.h"
#include "core/filtering/urlfilter/rule.h"

namespace {

const char *const kContentTypeNames[CONTENT_TYPE_COUNT] = {
    "OTHER", "IMAGE", "SCRIPT",   "STYLESHEET", "OBJECT", "XMLHTTPREQUEST",
    "MEDIA", "FONT",  "DOCUMENT", "WEBSOCKET",  "PING",   "SUBDOCUMENT",
};

}  // namespace

const char *content_type_name(unsigned bit) {
    return bit < CONTENT_TYPE_COUNT ? kContentTypeNames[bit] : nullptr;
}

rule_options_t *rule_options_ensure(cached_rule_t *rule) {
    if (rule->options == nullptr) {
        rule->options = static_cast<rule_options_t *>(calloc(1, sizeof(rule_options_t)));
    }
    return rule->options;
}

rule_options_t *rule_options_ensure_logged(cached_rule_t *rule, logger_s *logger, const char *fn) {
    rule_options_t *options = rule_options_ensure(rule);
    if (options == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR, "%s(): Couldn't allocate rule options storage", fn);
    }
    return options;
}

void rule_options_free(rule_options_t *options) {
    if (options == nullptr) {
        return;
    }
    free(options->badfilter_text);
    free(options->replace_text);
    free(options->csp_text);
    cookie_rule_free(options->cookie);
    redirect_rule_free(options->redirect);
    removeparam_free(options->removeparam);
    removeheader_free(options->removeheader);
    hls_rule_free(options->hls);
    rule_domains_release(&options->domains);
    rule_domains_release(&options->denyallow);
    rule_apps_release(&options->apps);
    free(options);
}
