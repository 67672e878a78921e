// Capacity-bounded least-recently-used maps. OvLRUCache keeps at most
// `capacity` entries and evicts the least recently used one; OvLRUTimeoutCache
// also gives every entry a lifetime. A cache owns its keys and values. Neither
// class locks: each owner guards its caches with its own mutex, and since
// get() reorders entries and the timeout cache's get() and take() drop expired
// ones, even lookups need that lock.
#pragma once

#include <time.h>

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

template <typename K, typename V>
class OvLRUCache {
  public:
    // A cache of capacity 0 stores nothing.
    explicit OvLRUCache(uint32_t capacity) : capacity_(capacity) {}
    virtual ~OvLRUCache() = default;
    // The index holds iterators into the entry list, which a copy would not
    // carry over.
    OvLRUCache(const OvLRUCache &) = delete;
    OvLRUCache &operator=(const OvLRUCache &) = delete;

    // Removes the entry for `key` and returns its value; an empty optional when
    // there is none. Does not call onRemove (the caller knows what it took).
    virtual std::optional<V> take(const K &key) {
        auto slot = index_.find(key);
        if (slot == index_.end()) {
            return std::nullopt;
        }
        auto entry = slot->second;
        std::optional<V> value(std::move(entry->second));
        index_.erase(slot);
        entries_.erase(entry);
        return value;
    }

    // Called with the key of an entry that leaves the cache by eviction or by
    // clear(), while the entry is still present; an override must not change
    // the cache's entries. Does nothing here.
    virtual void onRemove(const K &) {}

    // Returns the value for `key` and makes it the most recently used, or null
    // when absent. The pointer stays valid until the entry leaves the cache.
    V *get(const K &key) {
        auto slot = index_.find(key);
        if (slot == index_.end()) {
            return nullptr;
        }
        entries_.splice(entries_.begin(), entries_, slot->second);
        return &slot->second->second;
    }

    // Stores `value` for `key` as the most recently used entry. A present key
    // has its value replaced; otherwise a full cache first evicts its least
    // recently used entry, calling onRemove with that key.
    void put(const K &key, V value) {
        auto slot = index_.find(key);
        if (slot != index_.end()) {
            slot->second->second = std::move(value);
            entries_.splice(entries_.begin(), entries_, slot->second);
            return;
        }
        if (capacity_ == 0) {
            return;
        }
        if (entries_.size() >= capacity_) {
            const K &oldest = entries_.back().first;
            onRemove(oldest);
            index_.erase(oldest);
            entries_.pop_back();
        }
        entries_.emplace_front(key, std::move(value));
        index_.emplace(key, entries_.begin());
    }

    // Drops every entry, calling onRemove for each (least recent first) so that
    // derived caches drop what they keep per key.
    void clear() {
        while (!entries_.empty()) {
            onRemove(entries_.back().first);
            index_.erase(entries_.back().first);
            entries_.pop_back();
        }
    }

    size_t size() const { return entries_.size(); }

    // The keys, most recently used first.
    std::vector<K> keys() const {
        std::vector<K> out;
        out.reserve(entries_.size());
        for (const auto &entry : entries_) {
            out.push_back(entry.first);
        }
        return out;
    }

  protected:
    using Entries = std::list<std::pair<K, V>>;

    uint32_t capacity_;
    Entries entries_;  // most recently used first
    std::unordered_map<K, typename Entries::iterator> index_;
};

// An LRU cache whose entries expire `timeoutMs` after they were last put.
// An expired entry counts as absent: get() drops it; purgeExpired() drops all
// of them, and with `autoPurge` put() and take() run it first. An entry
// expiring at T survives until the clock reads T + 1.
//
// get() and put() hide the base versions (the base has no virtual slots for
// them): call them on this type, or the entry gets no lifetime.
template <typename K, typename V>
class OvLRUTimeoutCache : public OvLRUCache<K, V> {
  public:
    // Milliseconds of a monotonic clock; injectable so tests control time.
    using Clock = std::function<int64_t()>;

    static int64_t monotonicMs() {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return (int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec) / 1000000;
    }

    OvLRUTimeoutCache(uint32_t capacity, int64_t timeoutMs, bool autoPurge,
                      Clock clock = monotonicMs)
        : OvLRUCache<K, V>(capacity),
          timeoutMs_(timeoutMs),
          autoPurge_(autoPurge),
          clock_(std::move(clock)) {}

    // As the base take(), after purging (with autoPurge) and dropping the
    // key's expiry. An expired key that was not purged is still returned.
    std::optional<V> take(const K &key) override {
        if (autoPurge_) {
            purgeExpired();
        }
        eraseExpiry(key);
        return OvLRUCache<K, V>::take(key);
    }

    void onRemove(const K &key) override { eraseExpiry(key); }

    // As the base get(), except that an expired key is removed and reported
    // absent. Reading does not extend the lifetime.
    V *get(const K &key) {
        auto slot = expiryIndex_.find(key);
        if (slot != expiryIndex_.end() && slot->second->first < clock_()) {
            eraseExpiry(key);
            OvLRUCache<K, V>::take(key);
            return nullptr;
        }
        return OvLRUCache<K, V>::get(key);
    }

    // As the base put(), giving the entry the expiry now + timeoutMs and
    // dropping any earlier one (after purging, with autoPurge).
    void put(const K &key, V value) {
        int64_t now = clock_();
        if (autoPurge_) {
            purgeBefore(now);
        }
        if (this->capacity_ == 0) {
            return;
        }
        eraseExpiry(key);
        OvLRUCache<K, V>::put(key, std::move(value));
        int64_t expiry;
        if (__builtin_add_overflow(now, timeoutMs_, &expiry)) {
            expiry = timeoutMs_ > 0 ? INT64_MAX : INT64_MIN;
        }
        expiryIndex_.emplace(key, expiries_.emplace(expiry, key));
    }

    // Removes every entry whose expiry is before the clock's current reading.
    void purgeExpired() { purgeBefore(clock_()); }

  protected:
    using Expiries = std::multimap<int64_t, K>;

    void purgeBefore(int64_t now) {
        auto end = expiries_.lower_bound(now);
        for (auto it = expiries_.begin(); it != end;) {
            OvLRUCache<K, V>::take(it->second);
            expiryIndex_.erase(it->second);
            it = expiries_.erase(it);
        }
    }

    void eraseExpiry(const K &key) {
        auto slot = expiryIndex_.find(key);
        if (slot != expiryIndex_.end()) {
            expiries_.erase(slot->second);
            expiryIndex_.erase(slot);
        }
    }

    int64_t timeoutMs_;
    bool autoPurge_;
    Expiries expiries_;  // expiry in clock milliseconds -> key
    std::unordered_map<K, typename Expiries::iterator> expiryIndex_;
    Clock clock_;
};
