// Public-suffix computations over the built-in snapshot of the Public Suffix
// List (ICANN and private sections alike). Hosts are compared byte for byte:
// callers pass lower-case, punycode hosts as URLs carry them.
#pragma once

#include <cstddef>

// Length in bytes of the host's public suffix, without a single trailing dot.
// 0 when the host is empty, has no dot, ends in two dots, or is itself a public
// suffix. A host whose suffix is not listed counts its last label.
size_t registry_length(const char *host, size_t length);

// Points into `host` (NUL-terminated) at its registrable domain: the label in
// front of the public suffix and everything after it. Null for a null or empty
// host, a host starting with '.', or one with no registrable part.
const char *registrable_domain(const char *host);
