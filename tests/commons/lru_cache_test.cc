#include "core/commons/lru_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One cache operation and, for get and take, the value expected back.
struct Step {
    enum Kind { kPut, kGet, kTake, kClear, kPurge, kClockAt } kind;
    std::string key;
    int64_t number = 0;  // value to put, or clock reading
    std::optional<int> result;
};

Step Put(std::string key, int value) {
    return {Step::kPut, std::move(key), value, {}};
}
Step Get(std::string key, std::optional<int> result = {}) {
    return {Step::kGet, std::move(key), 0, result};
}
Step Take(std::string key, std::optional<int> result = {}) {
    return {Step::kTake, std::move(key), 0, result};
}
Step Clear() {
    return {Step::kClear, "", 0, {}};
}
Step Purge() {
    return {Step::kPurge, "", 0, {}};
}
Step ClockAt(int64_t ms) {
    return {Step::kClockAt, "", ms, {}};
}

std::string Describe(const Step &step) {
    static const char *const kNames[] = {"put", "get", "take", "clear", "purge", "clock at"};
    return std::string(kNames[step.kind]) + " " + step.key + " " + std::to_string(step.number);
}

// Exposes a cache's inner structures: its keys in recency order, the keys
// onRemove saw (marked when the entry was already gone at the call) and a check
// that the index describes the entry list exactly.
template <typename Cache>
class Inspected : public Cache {
  public:
    using Cache::Cache;

    void onRemove(const std::string &key) override {
        removed.push_back(this->index_.contains(key) ? key : key + " (already gone)");
        Cache::onRemove(key);
    }

    testing::AssertionResult IndexConsistent() const {
        if (this->entries_.size() > this->capacity_) {
            return testing::AssertionFailure() << this->entries_.size() << " entries";
        }
        if (this->index_.size() != this->entries_.size()) {
            return testing::AssertionFailure() << this->index_.size() << " index slots for "
                                               << this->entries_.size() << " entries";
        }
        for (auto it = this->entries_.begin(); it != this->entries_.end(); ++it) {
            auto slot = this->index_.find(it->first);
            if (slot == this->index_.end() || slot->second != it) {
                return testing::AssertionFailure() << "index slot of " << it->first;
            }
        }
        return testing::AssertionSuccess();
    }

    std::vector<std::string> removed;
};

using InspectedLRU = Inspected<OvLRUCache<std::string, int>>;

// A timeout cache on a clock the test sets, with the check extended to the
// expiry structures.
class InspectedTimeout : public Inspected<OvLRUTimeoutCache<std::string, int>> {
  public:
    InspectedTimeout(uint32_t capacity, int64_t timeoutMs, bool autoPurge)
        : Inspected(capacity, timeoutMs, autoPurge, [this] { return now; }) {}

    std::vector<std::pair<int64_t, std::string>> Expiries() const {
        return {expiries_.begin(), expiries_.end()};
    }

    testing::AssertionResult Consistent() const {
        testing::AssertionResult index = IndexConsistent();
        if (!index) {
            return index;
        }
        if (expiries_.size() != entries_.size() || expiryIndex_.size() != entries_.size()) {
            return testing::AssertionFailure()
                   << expiries_.size() << " expiries and " << expiryIndex_.size()
                   << " expiry slots for " << entries_.size() << " entries";
        }
        for (auto it = expiries_.begin(); it != expiries_.end(); ++it) {
            auto slot = expiryIndex_.find(it->second);
            if (slot == expiryIndex_.end() || slot->second != it || !index_.contains(it->second)) {
                return testing::AssertionFailure() << "expiry of " << it->second;
            }
        }
        return testing::AssertionSuccess();
    }

    int64_t now = 0;
};

template <typename Cache>
void Apply(Cache &cache, const Step &step) {
    switch (step.kind) {
        case Step::kPut:
            cache.put(step.key, static_cast<int>(step.number));
            break;
        case Step::kGet: {
            int *value = cache.get(step.key);
            EXPECT_EQ(value ? std::optional<int>(*value) : std::nullopt, step.result);
            break;
        }
        case Step::kTake:
            EXPECT_EQ(cache.take(step.key), step.result);
            break;
        case Step::kClear:
            cache.clear();
            break;
        case Step::kPurge:
        case Step::kClockAt:
            ADD_FAILURE() << "not a plain LRU step";
            break;
    }
}

void Apply(InspectedTimeout &cache, const Step &step) {
    if (step.kind == Step::kPurge) {
        cache.purgeExpired();
    } else if (step.kind == Step::kClockAt) {
        cache.now = step.number;
    } else {
        Apply<InspectedTimeout>(cache, step);
    }
}

TEST(OvLRUCache, Scenarios) {
    struct Row {
        const char *name;
        uint32_t capacity;
        std::vector<Step> steps;
        std::vector<std::string> keys;  // most recent first
        std::vector<std::string> removed;
    };
    const Row rows[] = {
        {"fourth key evicts the least recent, onRemove first",
         3,
         {Put("a", 1), Put("b", 2), Put("c", 3), Put("d", 4)},
         {"d", "c", "b"},
         {"a"}},
        {"get makes a key the most recent",
         3,
         {Put("a", 1), Put("b", 2), Put("c", 3), Get("a", 1), Put("d", 4), Get("b")},
         {"d", "a", "c"},
         {"b"}},
        {"put of a present key replaces without eviction",
         3,
         {Put("a", 1), Put("b", 2), Put("c", 3), Put("a", 10), Get("a", 10)},
         {"a", "c", "b"},
         {}},
        {"replaced key is the most recent",
         3,
         {Put("a", 1), Put("b", 2), Put("c", 3), Put("a", 10), Put("d", 4)},
         {"d", "a", "c"},
         {"b"}},
        {"evictions in recency order",
         2,
         {Put("a", 1), Put("b", 2), Put("c", 3), Put("d", 4)},
         {"d", "c"},
         {"a", "b"}},
        {"take returns the value once, without onRemove",
         3,
         {Put("a", 1), Put("b", 2), Take("a", 1), Take("a"), Get("a")},
         {"b"},
         {}},
        {"take of an absent key", 3, {Take("x"), Put("a", 1), Take("x")}, {"a"}, {}},
        {"take frees room",
         2,
         {Put("a", 1), Put("b", 2), Take("a", 1), Put("c", 3)},
         {"c", "b"},
         {}},
        {"clear reports every key, least recent first",
         3,
         {Put("a", 1), Put("b", 2), Put("c", 3), Get("a", 1), Clear(), Get("a")},
         {},
         {"b", "c", "a"}},
        {"usable after clear", 2, {Put("a", 1), Clear(), Put("b", 2), Get("b", 2)}, {"b"}, {"a"}},
        {"capacity 1", 1, {Put("a", 1), Put("b", 2), Get("a"), Get("b", 2)}, {"b"}, {"a"}},
        {"capacity 0 stores nothing", 0, {Put("a", 1), Get("a"), Take("a"), Clear()}, {}, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        InspectedLRU cache(row.capacity);
        for (const Step &step : row.steps) {
            SCOPED_TRACE(Describe(step));
            Apply(cache, step);
            ASSERT_TRUE(cache.IndexConsistent());
        }
        EXPECT_EQ(cache.keys(), row.keys);
        EXPECT_EQ(cache.size(), row.keys.size());
        EXPECT_EQ(cache.removed, row.removed);
    }
}

TEST(OvLRUTimeoutCache, Scenarios) {
    struct Config {
        uint32_t capacity;
        int64_t timeoutMs;
        bool autoPurge;
    };
    struct State {
        std::vector<std::string> keys;  // most recent first
        std::vector<std::pair<int64_t, std::string>> expiries;
        std::vector<std::string> removed;  // keys onRemove saw
    };
    struct Row {
        const char *name;
        Config config;
        std::vector<Step> steps;
        State state;  // after the last step
    };
    const Row rows[] = {
        {"expiry T survives a purge at T",
         {3, 100, false},
         {ClockAt(0), Put("a", 1), ClockAt(100), Purge()},
         {{"a"}, {{100, "a"}}, {}}},
        {"expiry T is purged at T + 1",
         {3, 100, false},
         {ClockAt(0), Put("a", 1), ClockAt(101), Purge(), Get("a")},
         {{}, {}, {}}},
        {"entries with the same expiry are all purged",
         {5, 100, false},
         {ClockAt(7), Put("a", 1), Put("b", 2), Put("c", 3), ClockAt(8), Put("d", 4), ClockAt(108),
          Purge()},
         {{"d"}, {{108, "d"}}, {}}},
        {"take of an absent key purges with autoPurge",
         {3, 100, true},
         {Put("a", 1), ClockAt(50), Put("b", 2), ClockAt(101), Take("x")},
         {{"b"}, {{150, "b"}}, {}}},
        {"take of an absent key purges nothing without autoPurge",
         {3, 100, false},
         {Put("a", 1), ClockAt(101), Take("x")},
         {{"a"}, {{100, "a"}}, {}}},
        {"take drops the expiry",
         {3, 100, true},
         {Put("a", 1), Put("b", 2), Take("a", 1)},
         {{"b"}, {{100, "b"}}, {}}},
        {"take of an expired key purged first",
         {3, 100, true},
         {Put("a", 1), ClockAt(101), Take("a")},
         {{}, {}, {}}},
        {"get of an expired key is absent without autoPurge",
         {3, 100, false},
         {Put("a", 1), Put("b", 2), ClockAt(100), Get("a", 1), ClockAt(101), Get("a")},
         {{"b"}, {{100, "b"}}, {}}},
        {"get does not extend the lifetime",
         {3, 100, false},
         {Put("a", 1), ClockAt(60), Get("a", 1), ClockAt(101), Purge()},
         {{}, {}, {}}},
        {"put again replaces the expiry",
         {3, 100, false},
         {Put("a", 1), ClockAt(60), Put("a", 2), ClockAt(150), Purge(), Get("a", 2)},
         {{"a"}, {{160, "a"}}, {}}},
        {"put purges first with autoPurge",
         {2, 100, true},
         {Put("a", 1), ClockAt(50), Put("b", 2), ClockAt(120), Put("c", 3)},
         {{"c", "b"}, {{150, "b"}, {220, "c"}}, {}}},
        {"eviction drops the evicted key's expiry",
         {2, 100, false},
         {Put("a", 1), ClockAt(1), Put("b", 2), ClockAt(2), Put("c", 3)},
         {{"c", "b"}, {{101, "b"}, {102, "c"}}, {"a"}}},
        {"get of an evicted key leaves no expiry",
         {1, 100, false},
         {Put("a", 1), Put("b", 2), Get("a"), Get("b", 2)},
         {{"b"}, {{100, "b"}}, {"a"}}},
        {"eviction follows recency, not expiry",
         {2, 100, false},
         {Put("a", 1), ClockAt(5), Put("b", 2), Get("a", 1), Put("c", 3)},
         {{"c", "a"}, {{100, "a"}, {105, "c"}}, {"b"}}},
        {"clear drops the expiries",
         {3, 100, true},
         {Put("a", 1), Put("b", 2), Clear()},
         {{}, {}, {"a", "b"}}},
        {"expiry saturates instead of overflowing",
         {3, INT64_MAX, true},
         {ClockAt(5), Put("a", 1), ClockAt(INT64_MAX), Purge(), Get("a", 1)},
         {{"a"}, {{INT64_MAX, "a"}}, {}}},
        {"negative expiry saturates and is already past",
         {3, -10, false},
         {ClockAt(INT64_MIN + 5), Put("a", 1), Get("a")},
         {{}, {}, {}}},
        {"capacity 0 stores nothing",
         {0, 100, true},
         {Put("a", 1), Get("a"), Take("a")},
         {{}, {}, {}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        InspectedTimeout cache(row.config.capacity, row.config.timeoutMs, row.config.autoPurge);
        for (const Step &step : row.steps) {
            SCOPED_TRACE(Describe(step));
            Apply(cache, step);
            ASSERT_TRUE(cache.Consistent());
        }
        EXPECT_EQ(cache.keys(), row.state.keys);
        EXPECT_EQ(cache.Expiries(), row.state.expiries);
        EXPECT_EQ(cache.removed, row.state.removed);
    }
}

TEST(OvLRUTimeoutCache, TakeThroughTheBaseIsVirtual) {
    InspectedTimeout cache(3, 100, true);
    cache.put("a", 1);
    cache.put("b", 2);
    OvLRUCache<std::string, int> &base = cache;
    cache.now = 101;
    EXPECT_EQ(base.take("x"), std::nullopt);
    EXPECT_TRUE(cache.Consistent());
    EXPECT_TRUE(cache.keys().empty());
}

TEST(OvLRUTimeoutCache, DefaultClockIsMonotonicMilliseconds) {
    using Cache = OvLRUTimeoutCache<int, int>;
    int64_t before = Cache::monotonicMs();
    Cache cache(2, 60000, true);
    cache.put(1, 10);
    ASSERT_NE(cache.get(1), nullptr);
    EXPECT_EQ(*cache.get(1), 10);
    EXPECT_GE(Cache::monotonicMs(), before);
}

}  // namespace
