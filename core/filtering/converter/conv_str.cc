#include "core/filtering/converter/conv_str.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool conv_str_reserve(conv_str_t *s, size_t length) {
    if (s->data != nullptr && length < s->capacity) {
        return true;
    }
    if (length >= UINT32_MAX / 2) {
        return false;
    }
    uint32_t capacity = s->capacity;
    while (capacity <= length) {
        capacity = capacity * 2 + 1;
    }
    auto *data = static_cast<char *>(realloc(s->data, capacity));
    if (data == nullptr) {
        return false;
    }
    if (s->data == nullptr) {
        data[0] = '\0';
    }
    s->data = data;
    s->capacity = capacity;
    return true;
}

bool conv_str_append(conv_str_t *s, std::string_view bytes) {
    if (!conv_str_reserve(s, s->length + bytes.size())) {
        return false;
    }
    if (!bytes.empty()) {
        memcpy(s->data + s->length, bytes.data(), bytes.size());
    }
    s->length += static_cast<uint32_t>(bytes.size());
    s->data[s->length] = '\0';
    return true;
}

bool conv_str_appendf(conv_str_t *s, const char *format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int n = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    bool ok = n >= 0 && conv_str_reserve(s, s->length + static_cast<size_t>(n));
    if (ok) {
        vsnprintf(s->data + s->length, static_cast<size_t>(n) + 1, format, args);
        s->length += static_cast<uint32_t>(n);
    }
    va_end(args);
    return ok;
}

bool conv_str_append_replacing(conv_str_t *s, std::string_view bytes, char from,
                               std::string_view to) {
    for (size_t cut = bytes.find(from); cut != std::string_view::npos; cut = bytes.find(from)) {
        if (!conv_str_append(s, bytes.substr(0, cut)) || !conv_str_append(s, to)) {
            return false;
        }
        bytes.remove_prefix(cut + 1);
    }
    return conv_str_append(s, bytes);
}

void conv_str_free(conv_str_t *s) {
    free(s->data);
    *s = conv_str_t{};
}

bool conv_rules_push(conv_rules_t *rules, conv_str_t *s) {
    conv_str_t *grown = nullptr;
    // An empty string still gets its NUL, as every returned string must.
    if (conv_str_reserve(s, s->length)) {
        grown = static_cast<conv_str_t *>(
            realloc(rules->rules, (rules->count + 1) * sizeof(conv_str_t)));
    }
    if (grown == nullptr) {
        conv_str_free(s);
        return false;
    }
    grown[rules->count++] = *s;
    rules->rules = grown;
    *s = conv_str_t{};
    return true;
}

bool conv_rules_move_all(conv_rules_t *to, conv_rules_t *from) {
    bool ok = true;
    for (uint32_t i = 0; i < from->count; ++i) {
        if (ok) {
            ok = conv_rules_push(to, &from->rules[i]);
        } else {
            conv_str_free(&from->rules[i]);
        }
    }
    free(from->rules);
    *from = conv_rules_t{};
    return ok;
}

conv_rules_t conv_rules_single(conv_str_t *s, bool built) {
    conv_rules_t rules{};
    if (built) {
        conv_rules_push(&rules, s);
    }
    conv_str_free(s);
    return rules;
}

void conv_rules_free(conv_rules_t *rules) {
    for (uint32_t i = 0; i < rules->count; ++i) {
        conv_str_free(&rules->rules[i]);
    }
    free(rules->rules);
    *rules = conv_rules_t{};
}
