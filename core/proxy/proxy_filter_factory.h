// How facades are made: a facade with its filters registered and
// initialised, and the one process-wide facade that the self-test and the C
// interface share.
#pragma once

#include <memory>
#include <string>

#include "core/proxy/proxy_filter.h"

struct OvProxyFilterSetup {
    // Where filters keep what must survive a restart (the database
    // OV_PROXY_DATABASE_NAME in it); empty keeps everything in memory.
    std::string dataDirectory;
};

constexpr char OV_PROXY_DATABASE_NAME[] = "ovcore.db";

// Builds a facade with the content and URL filters registered, then initialises the
// filters and the SSL domain filter with one configuration. A database that
// cannot be opened is logged and left out. Throws std::bad_alloc when memory
// runs out.
std::shared_ptr<OvProxyFilter> ov_make_proxy_filter(const OvProxyFilterSetup &setup);

// The process-wide facade, created during static initialisation (before
// main) with nothing persisted, and released at exit.
std::shared_ptr<OvProxyFilter> ov_process_proxy_filter();
