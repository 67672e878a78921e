// OvFilteringContext: the state of one request on its way through the
// filters, handed to each filter's request processing by reference.
#pragma once

#include <string>

#include "core/proxy/http/ov_http_headers.h"

class OvFilteringContext {
  public:
    OvHttpHeaders request;  // the request head as the client sent it
    std::string url;        // the absolute URL of the request
    std::string appName;    // the application that sent it, when known
};
