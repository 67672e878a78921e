// What parsing a network rule needs from its engine: the logger, the redirect
// resources that "$redirect=" names, the match context that bounds every
// regular expression, and the expressions that shortcut extraction and
// badfilter preparation compile once and keep. The engine owns the context;
// urlfilter_context_release() frees what it holds.
#pragma once

#include "core/commons/logger.h"

struct pcre2_real_code_8;
struct pcre2_real_match_context_8;
struct redirect_resources_t;

constexpr unsigned URLFILTER_SHORTCUT_REGEX_COUNT = 4;

struct urlfilter_context_t {
    logger_s *logger;
    redirect_resources_t *redirects;  // null when the base failed to load
    pcre2_real_match_context_8 *match_context;
    pcre2_real_code_8 *badfilter_regex;                                   // compiled on first use
    pcre2_real_code_8 *shortcut_regexes[URLFILTER_SHORTCUT_REGEX_COUNT];  // compiled on first use
};

// Fills a context that logs through `logger` (borrowed); loads the redirect
// resources when `with_redirects` is set. Returns 0, or -1 when memory ran out.
int urlfilter_context_init(urlfilter_context_t *context, logger_s *logger, bool with_redirects);

void urlfilter_context_release(urlfilter_context_t *context);
