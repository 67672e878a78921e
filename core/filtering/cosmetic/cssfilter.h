// The element-hiding filter: holds element-hiding and style rules, and
// builds for one page the three CSS texts the content script applies: the
// common CSS (rules without any domain entry), the specific CSS (rules with
// domain entries, generic or specific as asked) and the extended CSS (for
// the page-side extended-CSS engine). Exception rules are never emitted:
// they suppress the rules with the same selector where they match, or have
// their domains folded into those rules before a build.
//
// Not thread-safe, and builds change rule records (the folding): the owner
// serialises every call. Built texts belong to the caller, who frees them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/commons/logger.h"
#include "core/filtering/cosmetic/cosmetic_index.h"
#include "core/filtering/cosmetic/cosmetic_parser.h"
#include "core/filtering/cosmetic/rulecommon_storage.h"

struct cssfilter_s {
    logger_s *logger;  // borrowed
    cosmetic_parser_t parser;
    rulecommon_storage_t storage;
    // Set by every rule change, cleared when the exceptions have been folded
    // into the rules again.
    bool whitelists_dirty;
    // Rebuilt with the folding; without it (memory ran out) builds walk every
    // rule. Builds also walk every rule when TRACE is on, so that the trace
    // names each rule considered.
    cosmetic_index_t index;
    bool index_ready;
    // The common CSS is the same for every page unless some rule names apps
    // or a path: then it is built once per rule change and copied out.
    std::string common_css;
    bool common_css_cached;
};

// Creates an empty filter logging through `logger` (borrowed; may be null).
// Returns null when memory runs out.
cssfilter_s *cssfilter_create(logger_s *logger);

// Frees the filter and its rules; null is accepted.
void cssfilter_free(cssfilter_s *filter);

// Rule operation results, as the content filter reports them.
enum {
    CSSFILTER_DONE = COSMETIC_FILTER_DONE,
    CSSFILTER_NOT_MINE = COSMETIC_FILTER_NOT_MINE,
    CSSFILTER_REJECTED = COSMETIC_FILTER_REJECTED,
    CSSFILTER_FAILURE = COSMETIC_FILTER_FAILURE,
};

// Adds a rule. Script rules ("#%#"), HTML filtering rules ("##^", "$$"),
// other kinds of rule and foreign forms the rule converter rewrites are not
// mine. Adding a text already held keeps the held rule.
int cssfilter_add_rule(cssfilter_s *filter, const char *text, size_t length);

// Removes the rule with exactly this text.
int cssfilter_remove_rule(cssfilter_s *filter, const char *text, size_t length);

// cssfilter_buildcss() and cssfilter_buildextendedcss() flags.
enum : uint8_t {
    CSSFILTER_GENERIC = 1u << 0,   // include generic rules
    CSSFILTER_SPECIFIC = 1u << 1,  // include rules with a permitted domain
};

// The specific CSS for a page on `domain` (a host, maybe with ":port"): the
// non-extended rules that have domain entries. `app` (or null) is the
// requesting application, `path` (or null) the request path. Returns a
// malloc'ed NUL-terminated text, or null when `domain` is null, nothing
// matched or memory ran out.
char *cssfilter_buildcss(cssfilter_s *filter, const char *domain, uint8_t flags, const char *app,
                         uint32_t path_len, const char *path);

// The extended CSS for a page on `domain`: every extended rule that matches,
// domain-less ones included. Results as cssfilter_buildcss().
char *cssfilter_buildextendedcss(cssfilter_s *filter, const char *domain, uint8_t flags,
                                 const char *app, uint32_t path_len, const char *path);

// The common CSS: non-extended rules without any domain entry. Results as
// cssfilter_buildcss().
char *cssfilter_buildcommoncss(cssfilter_s *filter, const char *app, uint32_t path_len,
                               const char *path);
