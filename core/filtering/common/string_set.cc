#include "core/filtering/common/string_set.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kInitialCapacity = 8;

uint32_t grow_bound(uint32_t capacity) {
    return static_cast<uint32_t>(capacity * 0.77 + 0.5);
}

// Probing with a step that grows by one visits every slot of a power-of-two
// table, so a lookup always ends at the key or at an empty slot.
uint32_t find_slot(const string_set_entry_t *slots, uint32_t capacity, const char *key,
                   size_t length, uint32_t hash) {
    uint32_t mask = capacity - 1;
    uint32_t i = hash & mask;
    for (uint32_t step = 1;; ++step) {
        const string_set_entry_t &slot = slots[i];
        if (slot.key == nullptr ||
            (slot.hash == hash && slot.length == length && memcmp(slot.key, key, length) == 0)) {
            return i;
        }
        i = (i + step) & mask;
    }
}

int rehash(string_set_t *set, uint32_t capacity) {
    auto *slots = static_cast<string_set_entry_t *>(calloc(capacity, sizeof(string_set_entry_t)));
    if (slots == nullptr) {
        return -1;
    }
    for (uint32_t i = 0; i < set->capacity; ++i) {
        const string_set_entry_t &old = set->slots[i];
        if (old.key != nullptr) {
            slots[find_slot(slots, capacity, old.key, old.length, old.hash)] = old;
        }
    }
    free(set->slots);
    set->slots = slots;
    set->capacity = capacity;
    return 0;
}

}  // namespace

uint32_t string_set_hash(const char *key, size_t length) {
    if (length == 0) {
        return 0;
    }
    auto h = static_cast<uint32_t>(static_cast<unsigned char>(key[0]));
    for (size_t i = 1; i < length; ++i) {
        h = h * 31 + static_cast<unsigned char>(key[i]);
    }
    return h;
}

string_set_t *string_set_new() {
    auto *set = static_cast<string_set_t *>(calloc(1, sizeof(string_set_t)));
    if (set == nullptr) {
        return nullptr;
    }
    set->slots =
        static_cast<string_set_entry_t *>(calloc(kInitialCapacity, sizeof(string_set_entry_t)));
    if (set->slots == nullptr) {
        free(set);
        return nullptr;
    }
    set->capacity = kInitialCapacity;
    return set;
}

void string_set_free(string_set_t *set) {
    if (set == nullptr) {
        return;
    }
    for (uint32_t i = 0; i < set->capacity; ++i) {
        free(set->slots[i].key);
    }
    free(set->slots);
    free(set);
}

int string_set_put(string_set_t *set, const char *key, size_t length) {
    if (length > UINT32_MAX) {
        return -1;
    }
    uint32_t hash = string_set_hash(key, length);
    uint32_t i = find_slot(set->slots, set->capacity, key, length, hash);
    if (set->slots[i].key != nullptr) {
        return 1;
    }
    if (set->count + 1 > grow_bound(set->capacity)) {
        if (set->capacity > UINT32_MAX / 2 || rehash(set, set->capacity * 2) != 0) {
            return -1;
        }
        i = find_slot(set->slots, set->capacity, key, length, hash);
    }
    auto *copy = static_cast<char *>(malloc(length + 1));
    if (copy == nullptr) {
        return -1;
    }
    memcpy(copy, key, length);
    copy[length] = '\0';
    set->slots[i] = {copy, static_cast<uint32_t>(length), hash};
    ++set->count;
    return 0;
}

bool string_set_contains(const string_set_t *set, const char *key, size_t length) {
    if (set == nullptr || set->count == 0) {
        return false;
    }
    uint32_t hash = string_set_hash(key, length);
    return set->slots[find_slot(set->slots, set->capacity, key, length, hash)].key != nullptr;
}

namespace {

bool contains_some_suffix(const string_set_t *set, const char *name, size_t length) {
    for (size_t start = 0; start < length;) {
        if (string_set_contains(set, name + start, length - start)) {
            return true;
        }
        const void *dot = memchr(name + start, '.', length - start);
        if (dot == nullptr) {
            break;
        }
        start = static_cast<size_t>(static_cast<const char *>(dot) - name) + 1;
    }
    return false;
}

}  // namespace

bool string_set_contains_suffix(const string_set_t *set, const char *name, size_t length) {
    if (string_set_empty(set)) {
        return false;
    }
    if (contains_some_suffix(set, name, length)) {
        return true;
    }
    // A fully qualified host ("example.org.") matches the entries written
    // without the root dot.
    return length >= 2 && length <= 255 && name[length - 1] == '.' &&
           contains_some_suffix(set, name, length - 1);
}

uint32_t string_set_size(const string_set_t *set) {
    return set == nullptr ? 0 : set->count;
}

bool string_set_empty(const string_set_t *set) {
    return set == nullptr || set->count == 0;
}

int string_set_foreach(const string_set_t *set,
                       int (*fn)(void *arg, const char *key, size_t length), void *arg) {
    if (set == nullptr) {
        return 0;
    }
    for (uint32_t i = 0; i < set->capacity; ++i) {
        const string_set_entry_t &slot = set->slots[i];
        if (slot.key != nullptr) {
            if (int rc = fn(arg, slot.key, slot.length); rc != 0) {
                return rc;
            }
        }
    }
    return 0;
}
