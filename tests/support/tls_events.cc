#include "tests/support/tls_events.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

std::string hex16(int value) {
    char text[8];
    snprintf(text, sizeof(text), "%04x", value & 0xffff);
    return text;
}

// "h2,http/1.1" from the length-prefixed protocol list.
std::string alpn_names(const uint8_t *list, uint32_t length) {
    std::string out;
    for (uint32_t i = 0; i < length;) {
        uint32_t n = list[i];
        out +=
            (out.empty() ? "" : ",") + std::string(reinterpret_cast<const char *>(list + i + 1), n);
        i += 1 + n;
    }
    return out;
}

std::string describe(int result, const tls_scan_state &s) {
    switch (result) {
        case TLS_SCAN_ERROR:
            return "ERROR";
        case TLS_SCAN_CLIENT_HELLO:
            return "CLIENT_HELLO " + hex16(s.version) + " " + std::to_string(s.ciphers_len / 2) +
                   " suites";
        case TLS_SCAN_SERVER_NAME:
            return "SERVER_NAME " +
                   std::string(reinterpret_cast<const char *>(s.sni_ptr), s.sni_len);
        case TLS_SCAN_ENCRYPTED_SNI:
            return "ENCRYPTED_SNI";
        case TLS_SCAN_ALPN:
            return "ALPN " + alpn_names(s.alpn_ptr, s.alpn_len);
        case TLS_SCAN_ALPS:
            return "ALPS";
        case TLS_SCAN_GREASE:
            return "GREASE";
        case TLS_SCAN_SCT:
            return "SCT";
        case TLS_SCAN_SUPPORTED_VERSIONS:
            return "SUPPORTED_VERSIONS " + hex16(s.min_version) + "-" + hex16(s.max_version);
        case TLS_SCAN_SERVER_HELLO:
            return "SERVER_HELLO";
        case TLS_SCAN_CERTIFICATE:
            return "CERTIFICATE " + std::string(s.cn_ptr, static_cast<size_t>(s.cn_len));
        case TLS_SCAN_SERVER_KEY_EXCHANGE:
            return "SERVER_KEY_EXCHANGE";
        case TLS_SCAN_CERTIFICATE_REQUEST:
            return "CERTIFICATE_REQUEST";
        case TLS_SCAN_SERVER_HELLO_DONE:
            return "SERVER_HELLO_DONE";
        case TLS_SCAN_RECORD_DONE:
            return "RECORD_DONE";
        default:
            return "UNKNOWN " + std::to_string(result);
    }
}

}  // namespace

std::vector<std::string> tls_events(const std::vector<uint8_t> &bytes, bool byte_by_byte,
                                    tls_scan_state *last, int errors) {
    // The state is large (the common-name buffer): keep it off the stack.
    auto state = std::make_unique<tls_scan_state>();
    memset(state.get(), 0, sizeof(*state));
    size_t fed = byte_by_byte ? 1 : bytes.size();
    state->in_ptr = bytes.data();
    state->in_len = static_cast<uint32_t>(fed);
    std::vector<std::string> events;
    for (;;) {
        int result = tls_scan_step(state.get());
        if (last != nullptr) {
            *last = *state;
        }
        if (result == TLS_SCAN_NEED_MORE) {
            if (fed == bytes.size()) {
                return events;
            }
            ++fed;
            ++state->in_len;
            continue;
        }
        events.push_back(describe(result, *state));
        if (result == TLS_SCAN_ERROR && --errors == 0) {
            return events;
        }
    }
}
