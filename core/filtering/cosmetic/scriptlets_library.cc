#include "core/filtering/cosmetic/scriptlets_library.h"

#include <cstdlib>
#include <cstring>
#include <exception>

#include "core/commons/ffjson.h"

namespace {

// What the handlers of one reading share: with a target they only count the
// scriptlets until they meet the one whose code is wanted.
struct base_reader_t {
    scriptlets_library_t *base;
    const scriptlet_call_t *target;
    int32_t position;  // scriptlets met so far
};

int base_top(ffjson_state *sc);
int base_scriptlets(ffjson_state *sc);
int scriptlet_entry(ffjson_state *sc);
int entry_names(ffjson_state *sc);
int sl_entry_name(ffjson_state *sc);
int entry_code(ffjson_state *sc);

const ffjson_field kRoot[] = {{nullptr, FFJSON_TOBJ, base_top}};
const ffjson_field kTop[] = {{"version", FFJSON_TSTR, nullptr},
                             {"scriptlets", FFJSON_TARR, base_scriptlets}};
const ffjson_field kScriptlets[] = {{nullptr, FFJSON_TOBJ, scriptlet_entry}};
// Reading the names skips the sources, the largest part of the text; loading
// a source skips the names.
const ffjson_field kNamesMembers[] = {{"names", FFJSON_TARR, entry_names},
                                      {"scriptlet", FFJSON_TSTR, nullptr}};
const ffjson_field kCodeMembers[] = {{"names", FFJSON_TARR, nullptr},
                                     {"scriptlet", FFJSON_TSTR, entry_code}};
const ffjson_field kNames[] = {{nullptr, FFJSON_TSTR, sl_entry_name}};

base_reader_t *reader_of(const ffjson_state *sc) {
    return static_cast<base_reader_t *>(sc->udata);
}

int base_top(ffjson_state *sc) {
    ffjson_push(sc, kTop, FFCNT(kTop));
    return 0;
}

int base_scriptlets(ffjson_state *sc) {
    ffjson_push(sc, kScriptlets, FFCNT(kScriptlets));
    return 0;
}

// Appends a zeroed entry. The array grows one entry at a time: the base is
// read once per filter and holds a few dozen scriptlets.
int append_entry(scriptlets_library_t *base) {
    size_t size = (base->entry_count + 1) * sizeof(scriptlet_entry_t);
    auto *grown = static_cast<scriptlet_entry_t *>(realloc(base->entries, size));
    if (grown == nullptr) {
        logger_log(base->logger, LOG_LEVEL_ERROR,
                   "%s(): Failed to allocate memory (of size %zu) for scriptlets base", __func__,
                   size);
        return FFJSON_ESYSTEM;
    }
    base->entries = grown;
    base->entries[base->entry_count] = scriptlet_entry_t{};
    base->entries[base->entry_count].index = static_cast<int32_t>(base->entry_count);
    base->entry_count++;
    return 0;
}

int scriptlet_entry(ffjson_state *sc) {
    base_reader_t *reader = reader_of(sc);
    reader->position++;
    if (reader->target != nullptr) {
        ffjson_push(sc, kCodeMembers, FFCNT(kCodeMembers));
        return 0;
    }
    ffjson_push(sc, kNamesMembers, FFCNT(kNamesMembers));
    return append_entry(reader->base);
}

int entry_names(ffjson_state *sc) {
    ffjson_push(sc, kNames, FFCNT(kNames));
    return 0;
}

// Names are kept as views of the text rather than decoded copies, so that
// the base costs no allocation per name.
int sl_entry_name(ffjson_state *sc) {
    scriptlets_library_t *base = reader_of(sc)->base;
    scriptlet_entry_t &entry = base->entries[base->entry_count - 1];
    if (entry.name_count == SCRIPTLET_NAMES_MAX) {
        logger_log(base->logger, LOG_LEVEL_ERROR,
                   "%s(): scriptlet name %.*s was not added due to buffer is out of capacity (%d)",
                   __func__, static_cast<int>(sc->str_len), sc->str,
                   static_cast<int>(SCRIPTLET_NAMES_MAX));
        return 0;
    }
    entry.names[entry.name_count++] = {sc->raw_len, sc->raw};
    return 0;
}

// The source is copied up to a NUL it may hold (\u0000) into a zeroed buffer
// of its full length, so that `code_len` bytes are always readable.
int entry_code(ffjson_state *sc) {
    base_reader_t *reader = reader_of(sc);
    scriptlets_library_t *base = reader->base;
    int32_t wanted = reader->target->base_index;
    if (reader->position - 1 != wanted || static_cast<size_t>(wanted) >= base->entry_count) {
        return 0;
    }
    if (sc->str_len > UINT32_MAX) {
        return FFJSON_EUNSUPPORTED;  // beyond what `code_len` holds
    }
    auto *code = static_cast<char *>(calloc(sc->str_len + 1, 1));
    if (code == nullptr) {
        logger_log(base->logger, LOG_LEVEL_ERROR,
                   "%s(): Failed to allocate memory (of size %zu) for scriptlet code", __func__,
                   sc->str_len + 1);
        return FFJSON_ESYSTEM;
    }
    memcpy(code, sc->str, strnlen(sc->str, sc->str_len));
    scriptlet_entry_t &entry = base->entries[wanted];
    free(entry.code);
    entry.code = code;
    entry.code_len = static_cast<uint32_t>(sc->str_len);
    return SCRIPTLETS_BASE_FOUND;
}

// The reader reports running out of memory by throwing; here that becomes
// the reader's code for a system failure, with no token to show.
int read_base(scriptlets_library_t *base, base_reader_t *reader, ffjson_error *err) {
    try {
        return ffjson_parse(base->text, base->text_len, kRoot, FFCNT(kRoot), reader, err);
    } catch (const std::exception &) {
        *err = ffjson_error{};
        return FFJSON_ESYSTEM;
    }
}

void release_entries(scriptlets_library_t *base) {
    for (size_t i = 0; i < base->entry_count; ++i) {
        free(base->entries[i].code);
    }
    free(base->entries);
    base->entries = nullptr;
    base->entry_count = 0;
}

}  // namespace

scriptlets_library_t *scriptlets_library_create(logger_s *logger, std::string_view text) {
    auto *base = static_cast<scriptlets_library_t *>(calloc(1, sizeof(scriptlets_library_t)));
    if (base == nullptr) {
        logger_log(logger, LOG_LEVEL_ERROR,
                   "%s(): Failed to allocate memory (of size %zu) for scriptlets base", __func__,
                   sizeof(scriptlets_library_t));
        return nullptr;
    }
    base->logger = logger;
    base->text = text.data();
    base->text_len = text.size();
    if (parse_scriptlets_base(base, nullptr) != 0) {
        scriptlets_library_free(base);
        return nullptr;
    }
    return base;
}

void scriptlets_library_free(scriptlets_library_t *base) {
    if (base == nullptr) {
        return;
    }
    release_entries(base);
    free(base);
}

int32_t scriptlets_library_find(const scriptlets_library_t *base, const char *name, size_t length) {
    std::string_view wanted(name, length);
    for (size_t i = 0; i < base->entry_count; ++i) {
        const scriptlet_entry_t &entry = base->entries[i];
        for (uint32_t n = 0; n < entry.name_count; ++n) {
            if (std::string_view(entry.names[n].text, entry.names[n].length) == wanted) {
                return entry.index;
            }
        }
    }
    return -1;
}

int parse_scriptlets_base(scriptlets_library_t *base, const scriptlet_call_t *target) {
    if (target == nullptr) {
        release_entries(base);
    }
    base_reader_t reader{base, target, 0};
    ffjson_error err{};
    int r = read_base(base, &reader, &err);
    if (target != nullptr) {
        if (r == SCRIPTLETS_BASE_FOUND) {
            return 0;
        }
        logger_log(base->logger, LOG_LEVEL_WARN,
                   "%s(): scriptlet with the given name (%.*s) was not found in the scriptlets "
                   "base (err=%d)",
                   __func__, static_cast<int>(target->name.length), target->name.text, r);
        return -1;
    }
    if (r != 0) {
        logger_log(base->logger, LOG_LEVEL_ERROR,
                   "%s(): scriptlets base parse error: %s  last value:%.*s  line:%u", __func__,
                   ffjson_strerror(r), static_cast<int>(err.len),
                   err.value != nullptr ? err.value : "", static_cast<unsigned>(err.line));
        release_entries(base);
    }
    return r;
}
