// The self-test's recorded TLS inputs: eight handshake records (or record
// fragments) laid end to end in assets/selftest/handshakes.bin, made by
// tools/gen/selftest/make_block.sh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/proxy/tls/tls_scan.h"

struct selftest_input {
    size_t offset;
    size_t length;
    int steps;  // scanner calls; 0: until TLS_SCAN_RECORD_DONE
};

// In the order the self-test scans them.
constexpr selftest_input SELFTEST_INPUTS[] = {
    {4353, 189, 3},  // ClientHello with server_name and ALPN
    {0, 305, 2},     // ClientHello without either
    {4542, 484, 1},  // ClientHello longer than its record
    {305, 71, 1},    // ServerHello
    {376, 3977, 1},  // Certificate, a chain of three
    {5026, 338, 1},  // ServerKeyExchange
    {5364, 9, 2},    // ServerHelloDone
    {5373, 517, 0},  // ClientHello with supported_versions
};

constexpr size_t SELFTEST_BLOCK_SIZE = 5890;
// The server side of a handshake as the bypass filter sees it: the
// ServerHello and Certificate records, 4048 bytes.
constexpr size_t SELFTEST_SERVER_OFFSET = 305;
constexpr size_t SELFTEST_SERVER_LENGTH = 71 + 3977;
// The host whose certificate chain the block holds.
constexpr char SELFTEST_HOST[] = "ovcore.example";

// Runs the scanner over one input as the self-test does; stores the results
// in order and returns their number.
inline int selftest_scan(const uint8_t *block, const selftest_input &input, int *results,
                         int capacity) {
    // The state is large (the common-name buffer): keep it off the stack.
    auto state = std::make_unique<tls_scan_state>();
    memset(state.get(), 0, sizeof(*state));
    state->in_ptr = block + input.offset;
    state->in_len = static_cast<uint32_t>(input.length);
    int count = 0;
    while (count < capacity) {
        int result = tls_scan_step(state.get());
        results[count++] = result;
        bool until_done = input.steps == 0;
        if (until_done ? result == TLS_SCAN_RECORD_DONE || result == TLS_SCAN_ERROR
                       : count == input.steps) {
            break;
        }
    }
    return count;
}
