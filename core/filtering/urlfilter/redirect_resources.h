// The built-in redirect resources: the substitutes (transparent images, empty
// scripts, silent media, surrogates of third-party scripts) that a blocking
// rule with "$redirect=" or "$redirect-rule=" serves. Their base text is a
// JSON array generated at build time from assets/redirects/ and compiled in.
// A loaded base is caller-owned (redirect_resources_free()); its records only
// point into the text it was parsed from, which must outlive it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/commons/logger.h"

// The base text: a JSON array of {"title", "aliases" (optional), "isBlocking",
// "contentType" ("<MIME type>;base64"), "content" (Base64)} objects, in
// catalogue order; a resource's index is its identity. Generated source.
extern const char REDIRECT_RESOURCES_BASE[];
extern const size_t REDIRECT_RESOURCES_BASE_LENGTH;

// A resource has its title and up to seven aliases.
constexpr size_t REDIRECT_RESOURCE_NAMES_MAX = 8;

// Bytes of the base text.
struct redirect_view_t {
    size_t length;
    const char *pointer;
};

struct redirect_resource_t {
    // Title first, then the aliases in order; unused slots are empty.
    redirect_view_t names[REDIRECT_RESOURCE_NAMES_MAX];
    uint8_t is_blocking;  // kept for consumers; the engine does not read it
    redirect_view_t content_type;
    redirect_view_t content;  // still Base64-encoded
};

struct redirect_resources_t {
    logger_s *logger;  // borrowed; redirect_rule_parse() reports through it
    redirect_resource_t *array;
    size_t count;
};

// What a rule's "redirect" or "redirect-rule" option resolved to. Owned by
// the rule's options; released with redirect_rule_free().
struct redirect_rule_t {
    uint32_t resource;  // index into the base, valid when has_resource is set
    uint8_t has_resource;
    int32_t is_redirect_rule;  // 1 for "redirect-rule"
};

struct redirect_find_result_t {
    uint32_t index;
    bool found;
};

// Loads the built-in base (redirect_resources_parse() of the compiled-in text).
redirect_resources_t *redirect_resources_new(logger_s *logger);

// Parses a base text of `length` bytes; the base logs through `logger`
// (borrowed, may be null). Returns the base, or null after logging at ERROR
// when the text is not a well-formed base (the reader's error, its last value
// and line) or memory ran out. Strings are taken as views of the text, so a
// name, type or content holding a JSON escape is refused as unsupported.
redirect_resources_t *redirect_resources_parse(const char *text, size_t length, logger_s *logger);

// Frees the base (null is accepted); the text it points into is untouched.
void redirect_resources_free(redirect_resources_t *base);

// The first resource, in catalogue order, that has a name of exactly these
// bytes. Not found for a null base.
redirect_find_result_t redirect_resources_find(const redirect_resources_t *base, const char *name,
                                               size_t length);

// Resolves a rule's whole option text ("redirect=noopjs",
// "redirect-rule=nooptext", a bare "redirect" on an exception). A bare option
// is accepted for an exception only, as a record without a resource.
// Returns 0 with `*record` set to a new record; 1 when the value is missing or
// malformed or names no resource (logged at WARN through the base's logger;
// a null base, one that failed to load, resolves nothing); -1 when memory ran
// out (logged at ERROR). `*record` is left null unless 0 is returned.
int redirect_rule_parse(const redirect_resources_t *base, bool is_exception, size_t length,
                        const char *option, redirect_rule_t **record);

void redirect_rule_free(redirect_rule_t *record);
