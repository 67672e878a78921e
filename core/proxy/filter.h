// OvFilter: the interface every filter of the facade implements. The facade
// offers rule texts to its rule filters in a fixed order and asks each
// filter for its verdict on requests; a filter that needs configuration takes
// it in init(). Each filter does its own locking.
#pragma once

#include <cstddef>
#include <string>

#include "core/proxy/filter_result.h"
#include "core/proxy/filtering_context.h"
#include "core/proxy/proxy_filter_config.h"

// Results of addRule() and clearRule(); any other value is a failure.
enum {
    OV_FILTER_DONE = 1,      // added / removed
    OV_FILTER_NOT_MINE = 2,  // not for this filter: the next filter is asked
};

class OvFilter {
  public:
    virtual ~OvFilter() = default;
    // Takes what the filter needs from the configuration; 0 when ready.
    virtual int init(const OvProxyFilterConfig &config);
    // Releases what the filter holds before it is destroyed.
    virtual void shutdown();
    // The filter's name, for log lines.
    virtual const char *name() const = 0;
    // The rule text is not NUL-terminated; `tag` is the caller's, passed on
    // unchanged.
    virtual int addRule(const char *rule, size_t length, int tag) = 0;
    virtual int clearRule(std::string rule) = 0;
    // The filter's verdict on a request; passes it on unless the filter says
    // otherwise.
    virtual OvFilterResult processHttpRequest(OvFilteringContext &context);
};
