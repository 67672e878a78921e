// The script filter: holds the cosmetic rules that put JavaScript into pages
// (plain script rules, "#%#code", and scriptlet rules,
// "#%#//scriptlet('name', 'arg', ...)") and builds for one page the one
// script text the content script runs. Exceptions ("#@%#") suppress the
// rules with the same call or script where they match, or have their domains
// folded into those rules before a build.
//
// Not thread-safe, and builds change shared state (the folding, the lazily
// loaded scriptlet code, the removal of a rule that fails to render): the
// owner serialises every call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/commons/logger.h"
#include "core/filtering/cosmetic/cosmetic_index.h"
#include "core/filtering/cosmetic/cosmetic_parser.h"
#include "core/filtering/cosmetic/rulecommon_storage.h"
#include "core/filtering/cosmetic/scriptlet_render.h"
#include "core/filtering/cosmetic/scriptlets_library.h"

struct jsfilter_s {
    logger_s *logger;  // borrowed
    scriptlets_library_t *scriptlets;
    cosmetic_parser_t parser;
    rulecommon_storage_t storage;
    bool whitelists_dirty;
    // Rebuilt with the folding; builds walk every rule without it, or at
    // TRACE (so that the trace names each rule considered).
    cosmetic_index_t index;
    bool index_ready;
};

// Creates an empty filter over the built-in scriptlets base, logging through
// `logger` (borrowed; may be null). Returns null when memory runs out or the
// base does not read.
jsfilter_s *jsfilter_create(logger_s *logger);

// Frees the filter, its rules and the base; null is accepted.
void jsfilter_free(jsfilter_s *filter);

// Rule operation results, as the content filter reports them.
enum {
    JSFILTER_DONE = COSMETIC_FILTER_DONE,
    JSFILTER_NOT_MINE = COSMETIC_FILTER_NOT_MINE,
    JSFILTER_REJECTED = COSMETIC_FILTER_REJECTED,
    JSFILTER_FAILURE = COSMETIC_FILTER_FAILURE,
};

int jsfilter_add_rule(jsfilter_s *filter, const char *text, size_t length);
int jsfilter_remove_rule(jsfilter_s *filter, const char *text, size_t length);

// The script for a page on `domain` (null or a host, maybe with ":port"):
// the matching rules in ascending `order`, a scriptlet as its call line, a
// plain script followed by ";" (unless it ends with one) and a line feed.
// The caller owns the result (js_buffer_release()); it is all-zero when
// nothing matched or on failure. A rule that fails to render is logged,
// removed from the filter, and the build returns nothing, so the next build
// goes without it.
js_buffer_t jsfilter_buildjs(jsfilter_s *filter, const char *domain, bool include_generic,
                             const char *app, uint32_t path_len, const char *path);
