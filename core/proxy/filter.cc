#include "core/proxy/filter.h"

int OvFilter::init(const OvProxyFilterConfig &) {
    return 0;
}

void OvFilter::shutdown() {}

OvFilterResult OvFilter::processHttpRequest(OvFilteringContext &) {
    return OvFilterResult{};
}
