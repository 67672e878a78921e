// The facade's filters, at most one per filter type, keyed by the type's
// identity, plus further objects the registry keeps alive for them (the
// database their configuration points at, say). The registry takes no lock:
// it is filled before rule operations start and emptied only by the
// facade's shutdown.
#pragma once

#include <list>
#include <memory>
#include <typeindex>
#include <unordered_map>

#include "core/proxy/filter.h"

// Anything the registry owns besides filters, released through its virtual
// destructor.
class OvRegistryObject {
  public:
    virtual ~OvRegistryObject() = default;
};

template <typename T>
class OvOwnedObject final : public OvRegistryObject {
  public:
    explicit OvOwnedObject(std::unique_ptr<T> value) : value_(std::move(value)) {}
    T *get() const { return value_.get(); }

  private:
    std::unique_ptr<T> value_;
};

class OvFilterRegistry {
  public:
    using FilterMap = std::unordered_map<std::type_index, std::unique_ptr<OvFilter>>;

    // Registers the filter under its own dynamic type; false (and the filter
    // is destroyed) when that type already has one.
    bool add(std::unique_ptr<OvFilter> filter);
    // Registers the filter under another type's identity, standing in for
    // that type (a host's own implementation of a kind, or a test double).
    bool add(std::type_index type, std::unique_ptr<OvFilter> filter);
    // Keeps `object` alive until the registry is destroyed, after its filters.
    template <typename T>
    T *keep(std::unique_ptr<T> object) {
        auto owned = std::make_unique<OvOwnedObject<T>>(std::move(object));
        T *raw = owned->get();
        objects.push_back(std::move(owned));
        return raw;
    }

    // The filter registered for exactly this type, or null.
    OvFilter *get(std::type_index type) const;
    const FilterMap &all() const { return filters; }
    // Destroys every filter.
    void clear() { filters.clear(); }

  private:
    // Declared first so that it goes last: filters may use these objects up
    // to their destruction.
    std::list<std::unique_ptr<OvRegistryObject>> objects;
    FilterMap filters;
};
