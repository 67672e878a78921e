// Renders a scriptlet rule into the page script: one line that calls the
// scriptlet's function with its call object and its arguments, such as
//   (function abortOnPropertyRead(source,args){...})({name:"aopr.js",
//   engine:"quillon",version:"1.10.4",verbose:false},["adblock",]);
// The text goes into a growable byte string the caller owns and releases
// with js_buffer_release(). No call lets an exception out.
#pragma once

#include <cstddef>

#include "core/commons/logger.h"
#include "core/filtering/cosmetic/cosmetic_rule.h"
#include "core/filtering/cosmetic/scriptlets_library.h"

// The script text being built: NUL-terminated at `length` once anything was
// appended, all-zero before. `data` is a malloc'ed buffer of `capacity` bytes.
struct js_buffer_t {
    char *data;
    size_t capacity;
    size_t length;
};

// Appends printf-formatted text. The capacity grows by doubling plus one
// (1, 3, 7, 15, ... from empty) until it fits the text and its terminator.
// Returns 0; or -1 when the format failed or memory ran out, after releasing
// the buffer.
int js_buffer_appendf(js_buffer_t *buffer, const char *format, ...) OV_PRINTF(2, 3);

// Frees the buffer's bytes and leaves it all-zero.
void js_buffer_release(js_buffer_t *buffer);

// Appends the call of `rule`'s scriptlet, loading the scriptlet's code from
// the base text on its first use. The call object carries the name as the
// rule wrote it (alias or canonical) and, when the process-wide log level is
// DEBUG or TRACE, the rule's text as `ruleText`. Returns:
//   0  rendered; an exception rule renders nothing;
//   1  the rule's base index is out of range (logged at ERROR) or its code
//      could not be loaded (logged at WARN); the buffer is untouched;
//  -1  formatting failed or memory ran out; the buffer has been released.
int scriptlets_rule_apply(scriptlets_library_t *base, const cosmetic_rule_t *rule,
                          js_buffer_t *buffer);
