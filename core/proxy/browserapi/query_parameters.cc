#include "core/proxy/browserapi/query_parameters.h"

#include "core/commons/strview.h"

OvQueryParameters::OvQueryParameters(std::string_view query) {
    for (std::string_view piece : strview::split(query, '&', false)) {
        auto [name, value] = strview::split_once(piece, '=', false);
        add(std::string(name), std::string(value));
    }
}

void OvQueryParameters::add(std::string name, std::string value) {
    values.emplace(std::move(name), std::move(value));
}

std::string_view OvQueryParameters::get(std::string_view name) const {
    auto found = values.find(std::string(name));
    return found == values.end() ? std::string_view() : std::string_view(found->second);
}

std::vector<std::string_view> OvQueryParameters::getAll(std::string_view name) const {
    std::vector<std::string_view> all;
    auto [first, last] = values.equal_range(std::string(name));
    for (auto it = first; it != last; ++it) {
        all.emplace_back(it->second);
    }
    return all;
}

bool OvQueryParameters::contains(std::string_view name) const {
    return values.find(std::string(name)) != values.end();
}
