// Value handlers of the network-rule options that restrict where a rule
// applies ("domain=", "denyallow=", "app="), of "document", and of
// "redirect"/"redirect-rule". Same contract as the modifier handlers: they get
// the text after the option name (the whole option for redirect), store what
// they parse in the rule's options and return 0, 1 (malformed, logged) or -1.
#pragma once

#include <cstddef>

#include "core/filtering/urlfilter/rule.h"
#include "core/filtering/urlfilter/urlfilter_context.h"

int extract_domains(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                    const char *value);
int extract_denyallow(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                      const char *value);
int extract_apps(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                 const char *value);
int extract_document(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                     const char *value);
int extract_redirect(urlfilter_context_t *engine, cached_rule_t *rule, size_t length,
                     const char *option);

// After a successful validation: drops DOCUMENT from blocking rules that
// modify rather than block, and gives REPLACE, DOCUMENT+POPUP and REMOVEPARAM
// rules their implied content types.
void apply_post_parse_adjustments(cached_rule_t *rule);
