#define PCRE2_CODE_UNIT_WIDTH 8
#include "core/filtering/urlfilter/urlfilter_context.h"

#include <pcre2.h>

#include "core/filtering/common/regex_limits.h"
#include "core/filtering/urlfilter/redirect_resources.h"

int urlfilter_context_init(urlfilter_context_t *context, logger_s *logger, bool with_redirects) {
    *context = {};
    context->logger = logger;
    // Every rule expression runs under the process-wide limits.
    context->match_context = regex_match_context();
    if (with_redirects) {
        context->redirects = redirect_resources_new(logger);
    }
    return 0;
}

void urlfilter_context_release(urlfilter_context_t *context) {
    redirect_resources_free(context->redirects);
    pcre2_code_free(context->badfilter_regex);
    for (pcre2_code *code : context->shortcut_regexes) {
        pcre2_code_free(code);
    }
    *context = {};
}
