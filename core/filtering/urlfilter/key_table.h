// An integer-keyed table of index buckets, flat and open-addressed: a URL
// looks up every five-byte window of itself here, so a lookup must cost one
// or two cache lines, not a chained hash map's pointer chase. Buckets are
// never deleted; a bucket whose rules were all removed stays empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct index_entry_t {
    int32_t id;
    int32_t user_tag;
    // What the URL must contain (the rule's lower-case shortcut, or a literal
    // its expression requires; stored after its text), so that most
    // candidates are ruled out without fetching the parsed rule.
    const char *shortcut;
    uint32_t shortcut_len;
    // In a shortcut bucket: where the bucket's key sits in the shortcut, and
    // the shortcut's first 8 bytes, so that a URL window is checked against
    // the entry without touching the shortcut's memory.
    uint32_t key_offset;
    uint64_t head;
};

using bucket_t = std::vector<index_entry_t>;

class key_table_t {
  public:
    // The bucket of `key`, or null.
    const bucket_t *find(uint32_t key) const {
        if (slots_.empty()) {
            return nullptr;
        }
        size_t mask = slots_.size() - 1;
        for (size_t i = spread(key) & mask;; i = (i + 1) & mask) {
            const slot_t &slot = slots_[i];
            if (slot.bucket == 0) {
                return nullptr;
            }
            if (slot.key == key) {
                return &buckets_[slot.bucket - 1];
            }
        }
    }
    bucket_t *find(uint32_t key) {
        return const_cast<bucket_t *>(static_cast<const key_table_t *>(this)->find(key));
    }

    // The bucket of `key`, created empty when missing.
    bucket_t &operator[](uint32_t key) {
        if (bucket_t *found = find(key)) {
            return *found;
        }
        if ((buckets_.size() + 1) * 2 > slots_.size()) {
            grow();
        }
        buckets_.emplace_back();
        place(key, static_cast<uint32_t>(buckets_.size()));
        return buckets_.back();
    }

    size_t size() const { return buckets_.size(); }
    bool empty() const { return buckets_.empty(); }

  private:
    static size_t spread(uint32_t key) { return (key * 0x9E3779B1u) >> 7; }

    // Key and bucket side by side: a probe reads one cache line.
    struct slot_t {
        uint32_t key;
        uint32_t bucket;  // bucket number + 1; 0 is free
    };

    void place(uint32_t key, uint32_t bucket) {
        size_t mask = slots_.size() - 1;
        size_t i = spread(key) & mask;
        while (slots_[i].bucket != 0) {
            i = (i + 1) & mask;
        }
        slots_[i] = {key, bucket};
    }

    void grow() {
        std::vector<slot_t> old = std::move(slots_);
        slots_.assign(old.empty() ? 64 : old.size() * 2, slot_t{0, 0});
        for (const slot_t &slot : old) {
            if (slot.bucket != 0) {
                place(slot.key, slot.bucket);
            }
        }
    }

    std::vector<slot_t> slots_;
    std::vector<bucket_t> buckets_;
};
