// The layout of the built-in public-suffix snapshot, shared by the generator
// that writes it and the lookup that reads it. Names live in one byte blob; an
// open-addressing table of 64-bit slots (linear probing, never more than 60%
// full) points at them:
//   bits 63..32  the name's hash, so that misses rarely touch the blob
//   bits 31..11  offset of the name in the blob (the blob starts with a pad
//                byte, so a used slot is never 0)
//   bits 10..3   length of the name
//   bits  2..0   flags: 1 exception rule, 2 wildcard rule, 4 private section
// Names are hashed from their last byte to their first: one pass over a host
// then yields the hash of every one of its suffixes.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t PSL_FLAG_EXCEPTION = 1;
constexpr uint32_t PSL_FLAG_WILDCARD = 2;
constexpr uint32_t PSL_FLAG_PRIVATE = 4;

constexpr uint32_t psl_slot_hash(uint64_t slot) {
    return static_cast<uint32_t>(slot >> 32);
}
constexpr uint32_t psl_slot_offset(uint64_t slot) {
    return static_cast<uint32_t>(slot) >> 11;
}
constexpr uint32_t psl_slot_length(uint64_t slot) {
    return (static_cast<uint32_t>(slot) >> 3) & 0xff;
}
constexpr uint32_t psl_slot_flags(uint64_t slot) {
    return static_cast<uint32_t>(slot) & 7;
}
constexpr uint64_t psl_make_slot(uint32_t hash, uint32_t offset, uint32_t length, uint32_t flags) {
    return static_cast<uint64_t>(hash) << 32 | offset << 11 | length << 3 | flags;
}

constexpr uint32_t PSL_HASH_SEED = 2166136261u;

// One step of FNV-1a, fed with a name's bytes from last to first.
constexpr uint32_t psl_hash_step(uint32_t h, char byte) {
    return (h ^ static_cast<unsigned char>(byte)) * 16777619u;
}

inline uint32_t psl_hash(const char *name, size_t length) {
    uint32_t h = PSL_HASH_SEED;
    for (size_t i = length; i > 0; --i) {
        h = psl_hash_step(h, name[i - 1]);
    }
    return h;
}
