// The domain list of a rule: where it applies ("example.org"), where it must
// not ("~example.org"), and the any-TLD forms ("example.*", "~example.*").
// Parsing fills a rule_domains_t whose sets the rule owns and releases with
// rule_domains_release(). Checks are suffix lookups, so an entry covers its
// subdomains.
#pragma once

#include <cstddef>

#include "core/commons/logger.h"
#include "core/filtering/common/string_set.h"

// Longest domain entry accepted.
constexpr size_t RULE_DOMAIN_MAX_LENGTH = 255;

struct rule_domains_t {
    string_set_t *permitted;
    string_set_t *restricted;
    string_set_t *permitted_any_tld;   // "name.*" stored as "name"
    string_set_t *restricted_any_tld;  // "~name.*" stored as "name"
};

struct rule_domains_match_t {
    bool allowed;
    bool restricted_hit;  // a restricted entry decided the result
};

// Parses a delimited domain list ('|' in network-rule options, ',' in the
// domain prefix of cosmetic rules) into `out`, which must be empty. Returns 0,
// or -1 after logging the reason (at WARN; ERROR when memory ran out), with
// `out` left empty.
int extract_rule_domains_with_delim(const char *text, size_t length, char delimiter,
                                    rule_domains_t *out, logger_s *logger);

// (Re)parses the domain prefix of a cosmetic rule (the text between its
// bracketed modifiers and its marker) with ',' as the delimiter. A prefix of
// "*" is empty. A non-empty prefix on a rule that already has domains fails.
// On success the prefix's sets replace `domains` (when it was non-empty) and
// `generic` tells whether the rule's resulting domain list permits no domain.
// Returns 0 or -1; on failure nothing changes.
int extract_rule_domains(const char *prefix, size_t length, rule_domains_t *domains, bool *generic,
                         logger_s *logger);

// Adds source's permitted entries to target's restricted ones, and the any-TLD
// permitted entries to target's any-TLD restricted ones. Returns 0, or -1 when
// memory ran out (target keeps what was added before).
int copy_domains_as_restrictions(rule_domains_t *target, const rule_domains_t *source);

// Checks a request host (which may carry a ":port" or be a "[v6]" literal).
// A null record or one without entries allows every host.
rule_domains_match_t match_rule_domains(const char *host, size_t length,
                                        const rule_domains_t *domains);

// The key that any-TLD entries are looked up with: the length of the host
// without its public suffix and the dot in front of it. 0 when the host has no
// public suffix (a single label, or a host that is itself a suffix): any-TLD
// entries never apply to such hosts.
size_t any_tld_key_length(const char *host, size_t length);

// True when the rule permits no particular domain (it applies everywhere).
bool rule_domains_generic(const rule_domains_t *domains);
bool rule_domains_empty(const rule_domains_t *domains);

// Frees the four sets and leaves the record empty.
void rule_domains_release(rule_domains_t *domains);
