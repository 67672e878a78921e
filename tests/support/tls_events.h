// Test support: runs the TLS scanner over recorded bytes and describes each
// event with the fields it made valid, so a whole handshake compares in one
// assertion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/proxy/tls/tls_scan.h"

// Feeds `bytes` in one piece, or one more byte after every
// TLS_SCAN_NEED_MORE, until the input is used up or the scan has returned
// `errors` errors (calling on after an error shows where it left the state);
// `last`, when given, receives the state the scan ended in.
std::vector<std::string> tls_events(const std::vector<uint8_t> &bytes, bool byte_by_byte,
                                    tls_scan_state *last = nullptr, int errors = 1);
