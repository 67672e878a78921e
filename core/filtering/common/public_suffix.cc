#include "core/filtering/common/public_suffix.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/filtering/common/public_suffix_table.h"

#include "assets/psl/public_suffix_list.inc"

namespace {

// Returns the flags of a stored name, or -1 when the name is not stored.
int find_name(const char *name, size_t length, uint32_t hash) {
    uint32_t mask = kPslTableSize - 1;
    for (uint32_t i = hash & mask;; i = (i + 1) & mask) {
        uint64_t slot = kPslTable[i];
        if (slot == 0) {
            return -1;
        }
        if (psl_slot_hash(slot) == hash && psl_slot_length(slot) == length &&
            memcmp(kPslBlob + psl_slot_offset(slot), name, length) == 0) {
            return static_cast<int>(psl_slot_flags(slot));
        }
    }
}

const char *find_dot(const char *text, size_t length) {
    return static_cast<const char *>(memchr(text, '.', length));
}

size_t last_label_length(const char *host, size_t length) {
    size_t i = length;
    while (i > 0 && host[i - 1] != '.') {
        --i;
    }
    return length - i;
}

// The host is trimmed and has a dot; `start` is where the found name begins.
size_t length_for_match(const char *host, size_t length, size_t start, int flags) {
    if ((flags & PSL_FLAG_WILDCARD) && start > 0) {
        // The wildcard stands for the label in front of the found name.
        size_t label = start - 1;
        while (label > 0 && host[label - 1] != '.') {
            --label;
        }
        return label == 0 ? 0 : length - label;
    }
    if (flags & PSL_FLAG_EXCEPTION) {
        const char *dot = find_dot(host + start, length - start);
        if (dot == nullptr) {
            fputs("Invalid exception rule\n", stderr);
            abort();
        }
        return length - static_cast<size_t>(dot + 1 - host);
    }
    return start == 0 ? 0 : length - start;
}

}  // namespace

size_t registry_length(const char *host, size_t length) {
    while (length > 0 && host[0] == '.') {
        ++host, --length;
    }
    if (length > 0 && host[length - 1] == '.') {
        --length;
        if (length > 0 && host[length - 1] == '.') {
            return 0;
        }
    }
    if (length == 0 || find_dot(host, length) == nullptr) {
        return 0;
    }
    // Hash every suffix that starts a label in one pass from the end; hosts
    // deeper than kMaxLabels labels are looked up from their kMaxLabels-th
    // label from the end (no list entry has nearly that many).
    constexpr size_t kMaxLabels = 64;
    size_t starts[kMaxLabels];
    uint32_t hashes[kMaxLabels];
    size_t labels = 0;
    uint32_t h = PSL_HASH_SEED;
    for (size_t i = length; i > 0 && labels < kMaxLabels; --i) {
        h = psl_hash_step(h, host[i - 1]);
        if (i == 1 || host[i - 2] == '.') {
            starts[labels] = i - 1;
            hashes[labels++] = h;
        }
    }
    for (size_t k = labels; k > 0; --k) {
        size_t start = starts[k - 1];
        int flags = find_name(host + start, length - start, hashes[k - 1]);
        if (flags >= 0) {
            return length_for_match(host, length, start, flags);
        }
    }
    return last_label_length(host, length);
}

const char *registrable_domain(const char *host) {
    if (host == nullptr || host[0] == '\0' || host[0] == '.') {
        return nullptr;
    }
    size_t length = strlen(host);
    size_t suffix = registry_length(host, length);
    if (suffix == 0) {
        return nullptr;
    }
    // The suffix length leaves out a trailing dot; so does the position math.
    size_t bare = host[length - 1] == '.' ? length - 1 : length;
    if (suffix + 2 > bare) {
        fputs("Host does not have at least one subcomponent before tld!\n", stderr);
        return nullptr;
    }
    size_t i = bare - suffix - 2;
    while (i > 0 && host[i] != '.') {
        --i;
    }
    return host[i] == '.' ? host + i + 1 : host;
}
