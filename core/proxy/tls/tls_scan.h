// Reads the plaintext TLS handshake records that pass through the proxy and
// reports, one event per call, what it finds: the ClientHello with its server
// name, ALPN list and versions, the server's answer and its leaf
// certificate's common name. The caller owns the state, zero-fills it and
// feeds bytes as they arrive; the scanner copies nothing but the common name
// and allocates only while decoding the certificate. Every pointer it sets
// (except `cn_ptr`) points into the caller's input, which must stay valid
// while those values are used.
#pragma once

#include <cstdint>

enum tls_scan_st {
    TLS_SCAN_ST_RECORD = 0,             // a record header and a whole record
    TLS_SCAN_ST_HANDSHAKE = 1,          // the next handshake message of the record
    TLS_SCAN_ST_CLIENT_HELLO = 2,       // the fixed part of a ClientHello body
    TLS_SCAN_ST_EXTENSIONS_LENGTH = 3,  // the 2-byte extensions length
    TLS_SCAN_ST_EXTENSIONS = 4,         // the next extension
    TLS_SCAN_ST_CERTIFICATE = 5,        // a Certificate message body
};

enum tls_scan_result {
    TLS_SCAN_ERROR = 1,                // malformed, unsupported or not a TLS handshake
    TLS_SCAN_NEED_MORE = 2,            // the record at in_ptr is incomplete; nothing consumed
    TLS_SCAN_CLIENT_HELLO = 3,         // version, ciphers_len/ciphers_ptr
    TLS_SCAN_SERVER_NAME = 4,          // sni_len/sni_ptr
    TLS_SCAN_ENCRYPTED_SNI = 5,        // an extension of type 0xffce
    TLS_SCAN_ALPN = 6,                 // alpn_len/alpn_ptr
    TLS_SCAN_ALPS = 7,                 // an extension of type 0x4469
    TLS_SCAN_GREASE = 8,               // an extension type of the 0x?a?a form
    TLS_SCAN_SCT = 9,                  // signed_certificate_timestamp
    TLS_SCAN_SUPPORTED_VERSIONS = 10,  // min_version, max_version; version = max_version
    TLS_SCAN_SERVER_HELLO = 11,        // its body is not parsed
    TLS_SCAN_CERTIFICATE = 12,         // cn_len/cn_ptr of the chain's first certificate
    TLS_SCAN_SERVER_KEY_EXCHANGE = 13,
    TLS_SCAN_CERTIFICATE_REQUEST = 14,
    TLS_SCAN_SERVER_HELLO_DONE = 15,
    TLS_SCAN_RECORD_DONE = 16,  // the record is used up; the next call reads the next one
};

constexpr int TLS_SCAN_CN_CAPACITY = 1024;
// The compress_certificate list length is one byte: at most 127 algorithms.
constexpr int TLS_SCAN_MAX_CERT_COMPRESSION = 127;

struct tls_scan_state {
    int state;
    // From each record header, raised by the ClientHello version, then set to
    // the highest 3.x version of supported_versions.
    int version;
    uint32_t in_len;  // set by the caller; decreased as whole records are consumed
    const uint8_t *in_ptr;
    uint32_t rec_len;  // unread part of the current record's payload
    const uint8_t *rec_ptr;
    uint32_t blk_len;  // the handshake body at hand, later the unread extensions
    const uint8_t *blk_ptr;
    uint32_t ciphers_len;
    const uint8_t *ciphers_ptr;
    uint32_t sni_len;  // not NUL-terminated
    const uint8_t *sni_ptr;
    uint32_t alpn_len;  // the protocol_name_list without its own 2-byte length
    const uint8_t *alpn_ptr;
    uint16_t min_version;
    uint16_t max_version;
    char cn_buf[TLS_SCAN_CN_CAPACITY];  // NUL-terminated
    int cn_len;
    const char *cn_ptr;  // into cn_buf
    uint8_t cert_compression_count;
    uint16_t cert_compression_algs[TLS_SCAN_MAX_CERT_COMPRESSION];
};

// Advances the scan by one event and returns it (a tls_scan_result value).
// After TLS_SCAN_NEED_MORE call again with in_ptr at the same record start and
// a larger in_len. TLS_SCAN_ERROR leaves the state as it is: abandon it. The
// scanner never reads outside the in_len bytes at in_ptr.
int tls_scan_step(tls_scan_state *state);
