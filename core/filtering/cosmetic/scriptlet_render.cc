#include "core/filtering/cosmetic/scriptlet_render.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <type_traits>

#include "core/commons/json_writer.h"

namespace {

// Grows the capacity until `more` bytes and the terminator fit after the
// current length. Returns false when memory ran out (the buffer unchanged).
bool js_buffer_reserve(js_buffer_t *buffer, size_t more) {
    if (more >= SIZE_MAX - buffer->length) {
        return false;
    }
    size_t needed = buffer->length + more + 1;
    size_t capacity = buffer->capacity;
    while (capacity < needed) {
        if (capacity > (SIZE_MAX - 1) / 2) {
            return false;
        }
        capacity = capacity * 2 + 1;
    }
    if (capacity == buffer->capacity) {
        return true;
    }
    auto *grown = static_cast<char *>(realloc(buffer->data, capacity));
    if (grown == nullptr) {
        return false;
    }
    buffer->data = grown;
    buffer->capacity = capacity;
    return true;
}

// Appends the call object and the argument array that follow the function.
// Returns 0, or -1 with the buffer released. json_quote() may throw.
int append_call(const scriptlet_entry_t &entry, const cosmetic_rule_t *rule, bool verbose,
                js_buffer_t *buffer) {
    const scriptlet_call_t *call = rule->call;
    if (js_buffer_appendf(
            buffer, "(%.*s)({name:\"%.*s\",engine:\"quillon\",version:\"1.10.4\",verbose:%s",
            static_cast<int>(entry.code_len), entry.code, static_cast<int>(call->name.length),
            call->name.text, verbose ? "true" : "false") != 0) {
        return -1;
    }
    if (verbose) {
        std::string text = json_quote(rule->text, strlen(rule->text));
        if (js_buffer_appendf(buffer, ",ruleText:%s", text.c_str()) != 0) {
            return -1;
        }
    }
    if (js_buffer_appendf(buffer, "},[") != 0) {
        return -1;
    }
    for (uint32_t i = 0; i < call->arg_count; ++i) {
        // json_quote() reads a null text as JSON null; an empty argument is
        // still a string.
        const cosmetic_text_t &arg = call->args[i];
        std::string quoted = json_quote(arg.text != nullptr ? arg.text : "", arg.length);
        if (js_buffer_appendf(buffer, "%s,", quoted.c_str()) != 0) {
            return -1;
        }
    }
    return js_buffer_appendf(buffer, "]);\n");
}

}  // namespace

int js_buffer_appendf(js_buffer_t *buffer, const char *format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int n = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    bool ok = n >= 0 && js_buffer_reserve(buffer, static_cast<size_t>(n));
    if (ok) {
        vsnprintf(buffer->data + buffer->length, buffer->capacity - buffer->length, format, args);
        buffer->length += static_cast<size_t>(n);
    }
    va_end(args);
    if (!ok) {
        js_buffer_release(buffer);
        return -1;
    }
    return 0;
}

void js_buffer_release(js_buffer_t *buffer) {
    free(buffer->data);
    *buffer = js_buffer_t{};
}

int scriptlets_rule_apply(scriptlets_library_t *base, const cosmetic_rule_t *rule,
                          js_buffer_t *buffer) {
    if ((rule->flags & COSMETIC_EXCEPTION) != 0) {
        return 0;
    }
    int32_t index = rule->call->base_index;
    if (index < 0 || static_cast<size_t>(index) >= base->entry_count) {
        logger_log(base->logger, LOG_LEVEL_ERROR,
                   "%s(): rule has wrong base index (idx=%zd, total scriplets=%zu)", __func__,
                   static_cast<std::make_signed_t<size_t>>(index), base->entry_count);
        return 1;
    }
    if (base->entries[index].code == nullptr && parse_scriptlets_base(base, rule->call) != 0) {
        return 1;
    }
    bool verbose = logger_get_default_log_level() > LOG_LEVEL_INFO;
    try {
        return append_call(base->entries[index], rule, verbose, buffer);
    } catch (const std::exception &) {
        // json_quote() throws only when memory runs out.
        js_buffer_release(buffer);
        return -1;
    }
}
