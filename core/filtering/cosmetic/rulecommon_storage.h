// Where the element-hiding and script filters keep their rules: two tables
// keyed by the whole rule text. Exceptions that cannot be folded into the
// rules they restrict (app- or path-limited ones, and domain-less ones) are
// matched at build time from the exception table; every other rule, normal
// or foldable exception, lives in the main table. The storage owns its
// records and frees them when they are removed or it is destroyed.
// Standard containers: adding may meet std::bad_alloc, which the functions
// here turn into a status.
#pragma once

#include <cstddef>
#include <string_view>
#include <unordered_map>

#include "core/commons/logger.h"
#include "core/filtering/cosmetic/cosmetic_parser.h"
#include "core/filtering/cosmetic/cosmetic_rule.h"

// Keys are views of the records' own texts.
using cosmetic_rule_table_t = std::unordered_map<std::string_view, cosmetic_rule_t *>;

struct rulecommon_storage_t {
    cosmetic_rule_table_t exceptions;
    cosmetic_rule_table_t rules;

    rulecommon_storage_t() = default;
    rulecommon_storage_t(const rulecommon_storage_t &) = delete;
    rulecommon_storage_t &operator=(const rulecommon_storage_t &) = delete;
    ~rulecommon_storage_t();
};

// An exception with at least one domain entry, without apps and without a
// path pattern: whitelist application folds its domains into the normal
// rules with the same key, so it needs no matching of its own.
bool rulecommon_rule_is_foldable(const cosmetic_rule_t *rule);

// rulecommon_storage_add_rule() results.
enum {
    RULECOMMON_ADDED = 0,
    RULECOMMON_DUPLICATE = 1,  // a rule with the same text is stored
    RULECOMMON_NO_MEMORY = -1,
};

// Stores `rule` in its table. On RULECOMMON_ADDED the storage owns it;
// otherwise the caller still does.
int rulecommon_storage_add_rule(rulecommon_storage_t *storage, cosmetic_rule_t *rule);

// rulecommon_storage_remove_rule_by_text() results.
enum {
    RULECOMMON_REMOVED = 0,
    RULECOMMON_NOT_FOUND = 1,
    RULECOMMON_REPARSE_FAILED = -1,  // removed, but some rule kept folded domains
};

// Removes and frees the rule with this text, looked up in the main table
// first, then in the exception table. Removing a foldable exception undoes
// every fold: each normal rule of the main table gets the domains its text
// gives back (a failure is logged at ERROR, the rule keeps what it had and
// the result is RULECOMMON_REPARSE_FAILED); the caller then folds the
// remaining exceptions again.
int rulecommon_storage_remove_rule_by_text(rulecommon_storage_t *storage, std::string_view text,
                                           logger_s *logger);

// How a filter pairs exceptions with the rules they restrict.
struct rulecommon_pairing_t {
    // The bytes an exception and a rule must share: the selector, or a
    // script's comparison key.
    std::string_view (*key)(const cosmetic_rule_t *rule);
    // Whether the pairing message quotes the restricted rule's text.
    bool quote_rule;
};

// Folds every exception of the main table into the normal rules of the main
// table that share its key: the exception's permitted domains join the
// rule's restricted ones. Logs each step at TRACE under "apply_whitelists".
// Returns 0, or -1 when memory ran out (logged); folds made before stay,
// and a later application makes them again harmlessly.
int rulecommon_apply_whitelists(rulecommon_storage_t *storage, const rulecommon_pairing_t *pairing,
                                logger_s *logger);

// What the cosmetic filters answer for a rule text, as the content filter
// reports it.
enum {
    COSMETIC_FILTER_DONE = 1,      // added (or already held), or removed
    COSMETIC_FILTER_NOT_MINE = 2,  // not a rule of the filter's families, or not held
    COSMETIC_FILTER_REJECTED = 3,  // malformed (logged at WARN)
    COSMETIC_FILTER_FAILURE =
        -1,  // out of memory, or a removal left folds behind (logged at ERROR)
};

// Parses a rule text with `parser` and stores it; sets `*dirty` when the
// storage changed. `caller` names the filter in the out-of-memory message.
int rulecommon_add_rule_text(rulecommon_storage_t *storage, cosmetic_parser_t *parser,
                             const char *text, size_t length, bool *dirty, const char *caller);

// Removes the rule with exactly this text; sets `*dirty` when one was held.
int rulecommon_remove_rule_text(rulecommon_storage_t *storage, const char *text, size_t length,
                                bool *dirty, logger_s *logger);
