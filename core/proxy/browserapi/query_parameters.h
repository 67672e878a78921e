// OvQueryParameters: the query parameters of a browser API request, names
// and values kept exactly as they appear in the query string (not
// percent-decoded: each handler decodes what it needs). A name may occur
// several times; an absent parameter and an empty value read alike.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class OvQueryParameters {
  public:
    OvQueryParameters() = default;
    // Splits `query` (without the leading "?") at "&"; each piece is
    // "name=value", or just "name" with an empty value. Empty pieces are
    // skipped.
    explicit OvQueryParameters(std::string_view query);

    void add(std::string name, std::string value);
    // One value of `name`, or an empty view when the name is absent.
    std::string_view get(std::string_view name) const;
    // All values of `name`, in the container's order for equal names.
    std::vector<std::string_view> getAll(std::string_view name) const;
    bool contains(std::string_view name) const;

  private:
    std::unordered_multimap<std::string, std::string> values;
};
