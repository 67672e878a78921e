#include "core/proxy/filter_registry.h"

#include <typeinfo>

bool OvFilterRegistry::add(std::unique_ptr<OvFilter> filter) {
    const OvFilter &ref = *filter;
    return add(std::type_index(typeid(ref)), std::move(filter));
}

bool OvFilterRegistry::add(std::type_index type, std::unique_ptr<OvFilter> filter) {
    return filters.emplace(type, std::move(filter)).second;
}

OvFilter *OvFilterRegistry::get(std::type_index type) const {
    auto found = filters.find(type);
    return found == filters.end() ? nullptr : found->second.get();
}
