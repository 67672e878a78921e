// The TLS scanner over arbitrary bytes, in one piece and then fed byte by
// byte: it must never read outside the bytes it was given (the input buffer
// is exactly sized, so AddressSanitizer sees any overrun), and both ways must
// report the same events.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/proxy/tls/tls_scan.h"

namespace {

// Runs until the input is used up or an error repeats; collects the events.
std::vector<int> scan(const uint8_t *data, size_t size, bool byte_by_byte) {
    auto state = std::make_unique<tls_scan_state>();
    memset(state.get(), 0, sizeof(*state));
    size_t fed = byte_by_byte ? (size > 0 ? 1 : 0) : size;
    state->in_ptr = data;
    state->in_len = static_cast<uint32_t>(fed);
    std::vector<int> events;
    int errors = 0;
    for (int steps = 0; steps < 100000; ++steps) {
        int result = tls_scan_step(state.get());
        if (result == TLS_SCAN_NEED_MORE) {
            if (fed == size) {
                break;
            }
            ++fed;
            ++state->in_len;
            continue;
        }
        events.push_back(result);
        if (result == TLS_SCAN_ERROR && ++errors == 2) {
            break;
        }
    }
    return events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 70000) {
        return 0;
    }
    if (scan(data, size, false) != scan(data, size, true)) {
        abort();
    }
    return 0;
}
