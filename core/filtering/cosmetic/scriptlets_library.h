// The scriptlets base as the script filter holds it: one entry per scriptlet
// of a base text (see scriptlets_base.h) with its names, and the function
// source, loaded from the text the first time a rule calls the scriptlet.
// The base is caller-owned (scriptlets_library_free()); names are views of
// the text, which must outlive the base; each loaded `code` is owned by its
// entry. No call lets an exception out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/commons/logger.h"
#include "core/filtering/cosmetic/cosmetic_rule.h"
#include "core/filtering/cosmetic/scriptlets_base.h"

// A scriptlet has its canonical name and at most 15 aliases.
constexpr size_t SCRIPTLET_NAMES_MAX = 16;

// The JSON reader has no code of its own for a handler that stops the parse
// because it found what it was looking for: the code loader stops it with
// this one, which counts as success.
constexpr int SCRIPTLETS_BASE_FOUND = 28;

struct scriptlet_entry_t {
    int32_t index;  // position in the base
    uint32_t name_count;
    // Canonical name first, then the aliases, as written in the base text
    // (escapes undecoded: the names of the built-in base have none).
    cosmetic_text_t names[SCRIPTLET_NAMES_MAX];
    uint32_t code_len;
    // Null until loaded; then code_len + 1 bytes, NUL-terminated, and
    // zero-filled after a NUL the source itself may hold.
    char *code;
};

struct scriptlets_library_t {
    logger_s *logger;  // borrowed; may be null
    const char *text;  // the base text, borrowed
    size_t text_len;
    scriptlet_entry_t *entries;
    size_t entry_count;
};

// Reads the names of every scriptlet of `text` (code is loaded later).
// `logger` is borrowed, may be null, and must outlive the base. Returns null
// when the text is not a well-formed base or memory ran out (both logged at
// ERROR).
scriptlets_library_t *scriptlets_library_create(logger_s *logger,
                                                std::string_view text = scriptlets_base_text());

// Frees the base, its entries and their code; null is accepted.
void scriptlets_library_free(scriptlets_library_t *base);

// The position of the first scriptlet that has a name of exactly these bytes
// (canonical or alias, compared byte by byte), or -1 when none has.
int32_t scriptlets_library_find(const scriptlets_library_t *base, const char *name, size_t length);

// Reads the base text with the streaming JSON reader.
// Without `target`: replaces the entries by those of the text, names only.
// A name past SCRIPTLET_NAMES_MAX is left out (logged at ERROR). Returns 0,
// or the reader's code after logging the error, its last value and line at
// ERROR; the entries are then released.
// With `target`: loads the code of the entry at target->base_index (replacing
// any code it had). Returns 0 when it was loaded; -1 when the text did not
// yield it (an index out of range, a malformed text, memory running out),
// logged at WARN with the call's name and the reader's code.
int parse_scriptlets_base(scriptlets_library_t *base, const scriptlet_call_t *target);
