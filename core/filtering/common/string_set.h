// A hash set of byte strings: the storage of every domain and app list of a
// rule. Keys are compared byte for byte; the set owns copies of its keys.
// Open addressing with a probe step that grows by one on each probe over a
// power-of-two table, grown before it would pass 0.77 full. A null set is an
// empty set for every query.
#pragma once

#include <cstddef>
#include <cstdint>

struct string_set_entry_t {
    char *key;  // owned, NUL-terminated; null marks an empty slot
    uint32_t length;
    uint32_t hash;
};

struct string_set_t {
    string_set_entry_t *slots;
    uint32_t capacity;  // a power of two
    uint32_t count;
};

// h = h * 31 + byte, starting from the first byte.
uint32_t string_set_hash(const char *key, size_t length);

// Creates an empty set. Returns null when memory runs out.
string_set_t *string_set_new();
void string_set_free(string_set_t *set);

// Inserts a copy of the key. Returns 0 when inserted, 1 when the key was
// already present, -1 when memory ran out (the set is unchanged).
int string_set_put(string_set_t *set, const char *key, size_t length);

bool string_set_contains(const string_set_t *set, const char *key, size_t length);

// Looks up the name, then each suffix that follows a '.', stopping at the
// first hit; when nothing is found and the name (2 to 255 bytes) ends with a
// dot, repeats once without that dot.
bool string_set_contains_suffix(const string_set_t *set, const char *name, size_t length);

uint32_t string_set_size(const string_set_t *set);
bool string_set_empty(const string_set_t *set);

// Calls `fn` for every key, in slot order; stops when it returns nonzero and
// returns that value, otherwise 0.
int string_set_foreach(const string_set_t *set,
                       int (*fn)(void *arg, const char *key, size_t length), void *arg);
