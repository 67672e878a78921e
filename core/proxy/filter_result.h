// OvFilterResult: a filter's answer for a request. A result that answers the
// request itself hands its response head and body to the host together.
#pragma once

#include <string>

#include "core/proxy/http/ov_http_headers.h"

enum {
    OV_VERDICT_PASS = 1,      // pass the request on unchanged
    OV_VERDICT_RESPOND = 2,   // answer it with this result's response
    OV_VERDICT_DEFERRED = 4,  // the answer comes later through a callback
};

struct OvFilterResult {
    int verdict = OV_VERDICT_PASS;
    OvHttpHeaders response;  // empty unless the verdict is OV_VERDICT_RESPOND
    std::string body;
};
