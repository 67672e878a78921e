#include "core/filtering/urlfilter/redirect_resources.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/commons/ffjson.h"
#include "core/commons/strview.h"

namespace {

// A handler's own parse result: memory ran out, and the handler has said so.
constexpr int RESOURCES_ENOMEM = FFJSON_EMISUSE + 1;

int resources_array(ffjson_state *sc);
int resource_entry(ffjson_state *sc);
int resource_aliases(ffjson_state *sc);
int resource_name(ffjson_state *sc);
int resource_blocking(ffjson_state *sc);
int resource_content_type(ffjson_state *sc);
int resource_content(ffjson_state *sc);

const ffjson_field kRoot[] = {{nullptr, FFJSON_TARR, resources_array}};
const ffjson_field kResources[] = {{nullptr, FFJSON_TOBJ, resource_entry}};
const ffjson_field kMembers[] = {
    {"title", FFJSON_TSTR, resource_name},
    {"aliases", FFJSON_TARR, resource_aliases},
    {"isBlocking", FFJSON_TBOOL, resource_blocking},
    {"contentType", FFJSON_TSTR, resource_content_type},
    {"content", FFJSON_TSTR, resource_content},
};
const ffjson_field kAliases[] = {{nullptr, FFJSON_TSTR, resource_name}};

redirect_resources_t *base_of(const ffjson_state *sc) {
    return static_cast<redirect_resources_t *>(sc->udata);
}

redirect_resource_t &current_resource(const ffjson_state *sc) {
    redirect_resources_t *base = base_of(sc);
    return base->array[base->count - 1];
}

// The reader hands handlers decoded copies; the base keeps views of the text
// instead, which hold the same bytes only when the string has no escape.
// Every escape sequence is longer than what it decodes to, so equal lengths
// mean there was none. A null member is an absent value.
int text_view(const ffjson_state *sc, redirect_view_t *out) {
    if (sc->type == FFJSON_TOK_NULL) {
        return 0;
    }
    if (sc->raw_len != sc->str_len) {
        return FFJSON_EUNSUPPORTED;
    }
    *out = {sc->raw_len, sc->raw};
    return 0;
}

int resources_array(ffjson_state *sc) {
    ffjson_push(sc, kResources, FFCNT(kResources));
    return 0;
}

// Each object of the array appends a zero-filled record. The array grows one
// record at a time: the base is loaded once per engine and holds a few dozen.
int resource_entry(ffjson_state *sc) {
    redirect_resources_t *base = base_of(sc);
    size_t size = (base->count + 1) * sizeof(redirect_resource_t);
    auto *grown = static_cast<redirect_resource_t *>(realloc(base->array, size));
    if (grown == nullptr) {
        logger_log(base->logger, LOG_LEVEL_ERROR,
                   "%s(): Failed to allocate memory (of size %zu) for redirect resources base",
                   __func__, size);
        return RESOURCES_ENOMEM;
    }
    base->array = grown;
    base->array[base->count++] = redirect_resource_t{};
    ffjson_push(sc, kMembers, FFCNT(kMembers));
    return 0;
}

int resource_aliases(ffjson_state *sc) {
    ffjson_push(sc, kAliases, FFCNT(kAliases));
    return 0;
}

// The title and each alias take the next free name slot. An empty name is not
// stored: lookups stop at the first empty slot, and no rule value is empty.
int resource_name(ffjson_state *sc) {
    redirect_view_t name{};
    int r = text_view(sc, &name);
    if (r != 0 || name.length == 0) {
        return r;
    }
    for (redirect_view_t &slot : current_resource(sc).names) {
        if (slot.length == 0) {
            slot = name;
            return 0;
        }
    }
    logger_log(base_of(sc)->logger, LOG_LEVEL_ERROR,
               "%s(): resource name %.*s was not added due to buffer is out of capacity (%d)",
               __func__, static_cast<int>(name.length), name.pointer,
               static_cast<int>(REDIRECT_RESOURCE_NAMES_MAX));
    return 0;
}

int resource_blocking(ffjson_state *sc) {
    current_resource(sc).is_blocking = sc->num != 0;
    return 0;
}

int resource_content_type(ffjson_state *sc) {
    return text_view(sc, &current_resource(sc).content_type);
}

int resource_content(ffjson_state *sc) {
    return text_view(sc, &current_resource(sc).content);
}

// Returns the reader's result: 0, or the error that fails the load.
int parse_resources_base(redirect_resources_t *base, const char *text, size_t length) {
    ffjson_error err{};
    int r = ffjson_parse(text, length, kRoot, FFCNT(kRoot), base, &err);
    if (r != 0 && r != RESOURCES_ENOMEM) {
        logger_log(base->logger, LOG_LEVEL_ERROR,
                   "%s(): redirect resources base parse error: %s  last value:%.*s  line:%u",
                   __func__, ffjson_strerror(r), static_cast<int>(err.len),
                   err.value != nullptr ? err.value : "", static_cast<unsigned>(err.line));
    }
    return r;
}

// Checks the text after the option's name, "=<resource name>", and looks the
// name up. Returns 0 with `*found` set, or 1 after a warning that names
// `caller`, the function rules see.
int resolve_value(const redirect_resources_t *base, std::string_view rest, const char *caller,
                  redirect_find_result_t *found) {
    logger_s *logger = base != nullptr ? base->logger : nullptr;
    if (rest.empty() || rest[0] != '=') {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): redirect modifier should have 'redirect=<resource_name>' format", caller);
        return 1;
    }
    std::string_view name = rest.substr(1);
    if (name.empty()) {
        logger_log(logger, LOG_LEVEL_WARN, "%s(): option has no value", caller);
        return 1;
    }
    *found = redirect_resources_find(base, name.data(), name.size());
    if (!found->found) {
        logger_log(logger, LOG_LEVEL_WARN,
                   "%s(): there is no resource with such name (%.*s) in the redirect resources "
                   "base",
                   caller, static_cast<int>(name.size()), name.data());
        return 1;
    }
    return 0;
}

}  // namespace

redirect_resources_t *redirect_resources_new(logger_s *logger) {
    return redirect_resources_parse(REDIRECT_RESOURCES_BASE, REDIRECT_RESOURCES_BASE_LENGTH,
                                    logger);
}

redirect_resources_t *redirect_resources_parse(const char *text, size_t length, logger_s *logger) {
    // The reader's own buffers may throw std::bad_alloc; the guard frees the
    // base on that road as well as on a failed parse.
    std::unique_ptr<redirect_resources_t, decltype(&redirect_resources_free)> base(
        static_cast<redirect_resources_t *>(calloc(1, sizeof(redirect_resources_t))),
        redirect_resources_free);
    if (base == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR,
                   "%s(): Failed to allocate memory (of size %zu) for redirect resources base",
                   __func__, sizeof(redirect_resources_t));
        return nullptr;
    }
    base->logger = logger;
    if (parse_resources_base(base.get(), text, length) != 0) {
        return nullptr;
    }
    return base.release();
}

void redirect_resources_free(redirect_resources_t *base) {
    if (base == nullptr) {
        return;
    }
    free(base->array);
    free(base);
}

redirect_find_result_t redirect_resources_find(const redirect_resources_t *base, const char *name,
                                               size_t length) {
    if (base == nullptr) {
        return {0, false};
    }
    for (size_t i = 0; i < base->count; i++) {
        for (const redirect_view_t &candidate : base->array[i].names) {
            if (candidate.length == 0) {
                break;
            }
            if (candidate.length == length && memcmp(candidate.pointer, name, length) == 0) {
                return {static_cast<uint32_t>(i), true};
            }
        }
    }
    return {0, false};
}

int redirect_rule_parse(const redirect_resources_t *base, bool is_exception, size_t length,
                        const char *option, redirect_rule_t **record) {
    static constexpr std::string_view kRedirect = "redirect";
    static constexpr std::string_view kRedirectRule = "redirect-rule";
    *record = nullptr;
    logger_s *logger = base != nullptr ? base->logger : nullptr;
    std::string_view text(option, length);
    bool is_redirect_rule = strview::starts_with_nocase(text, kRedirectRule);
    std::string_view rest = text.substr(
        std::min(text.size(), is_redirect_rule ? kRedirectRule.size() : kRedirect.size()));

    redirect_find_result_t found{0, false};
    // An exception without a value names no resource: it lifts every redirect.
    bool bare_exception = rest.empty() && is_exception;
    if (!bare_exception && resolve_value(base, rest, __func__, &found) != 0) {
        return 1;
    }
    auto *made = static_cast<redirect_rule_t *>(calloc(1, sizeof(redirect_rule_t)));
    if (made == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR,
                   "%s(): Failed to allocate memory (of size %zu) for redirect rule", __func__,
                   sizeof(redirect_rule_t));
        return -1;
    }
    made->resource = found.index;
    made->has_resource = found.found;
    made->is_redirect_rule = is_redirect_rule;
    *record = made;
    return 0;
}

void redirect_rule_free(redirect_rule_t *record) {
    free(record);
}
