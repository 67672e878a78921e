// The call of a scriptlet rule: what follows "//scriptlet" in
// example.org#%#//scriptlet('set-constant', 'a', '1'), a parenthesised list
// of quoted strings whose first one names the scriptlet. The parsed record is
// owned by the caller (scriptlet_call_free(), cosmetic_rule.h). Nothing here
// logs; nothing lets an exception out.
#pragma once

#include <cstddef>

#include "core/filtering/cosmetic/cosmetic_rule.h"

// scriptlet_call_parse() results.
enum {
    SCRIPTLET_CALL_OK = 0,
    SCRIPTLET_CALL_MALFORMED = 1,
    SCRIPTLET_CALL_NO_MEMORY = -1,
};

// Parses `text` ("('name', 'arg', \"arg\")"). Arguments are quoted with ' or
// "; inside one, a backslash before the enclosing quote or before another
// backslash stands for that byte, and any other backslash is kept, so
// regular expressions keep their escapes. Spaces and tabs may surround the
// parentheses and commas; nothing else may follow the closing parenthesis.
// Returns SCRIPTLET_CALL_OK with `*out` set (base_index -1, for the caller to
// resolve); SCRIPTLET_CALL_MALFORMED with `*reason` set to a static text; or
// SCRIPTLET_CALL_NO_MEMORY.
int scriptlet_call_parse(const char *text, size_t length, scriptlet_call_t **out,
                         const char **reason);
