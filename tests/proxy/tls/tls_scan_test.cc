#include "core/proxy/tls/tls_scan.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/tls_events.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Events = std::vector<std::string>;

Bytes fixture(const std::string &name) {
    std::ifstream in(std::string(OVCORE_TEST_DATA) + "/proxy/tls/data/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Handshakes recorded on loopback by data/record_handshakes.sh.
TEST(TlsScan, RecordedHandshakes) {
    struct Row {
        const char *file;
        Events events;
    } rows[] = {
        {"openssl_client_hello.bin",
         {"CLIENT_HELLO 0303 31 suites", "SERVER_NAME leaf.ovcore.test", "ALPN h2,http/1.1",
          "SUPPORTED_VERSIONS 0301-0304", "RECORD_DONE"}},
        {"curl_client_hello.bin",
         {"CLIENT_HELLO 0303 31 suites", "SERVER_NAME leaf.ovcore.test", "ALPN h2,http/1.1",
          "SUPPORTED_VERSIONS 0301-0304", "RECORD_DONE"}},
        // Chromium shuffles its extensions and brackets them with GREASE.
        {"chromium_client_hello.bin",
         {"CLIENT_HELLO 0303 16 suites", "GREASE", "SCT", "ALPN h2,http/1.1",
          "SUPPORTED_VERSIONS 0303-0304", "SERVER_NAME leaf.ovcore.test", "GREASE", "RECORD_DONE"}},
        // A TLS 1.2 server asking for a client certificate; after the
        // ServerHelloDone it sends a NewSessionTicket, which the scanner
        // does not know.
        {"openssl_server_flight.bin",
         {"SERVER_HELLO", "RECORD_DONE", "CERTIFICATE leaf.ovcore.test", "RECORD_DONE",
          "SERVER_KEY_EXCHANGE", "RECORD_DONE", "CERTIFICATE_REQUEST", "RECORD_DONE",
          "SERVER_HELLO_DONE", "RECORD_DONE", "ERROR"}},
        {"nocn_server_flight.bin", {"SERVER_HELLO", "RECORD_DONE", "ERROR"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.file);
        Bytes bytes = fixture(row.file);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(tls_events(bytes, false), row.events);
        EXPECT_EQ(tls_events(bytes, true), row.events);
    }
}

TEST(TlsScan, ChromiumOffersBrotliCertificateCompression) {
    auto last = std::make_unique<tls_scan_state>();
    tls_events(fixture("chromium_client_hello.bin"), false, last.get());
    std::vector<uint16_t> algorithms(last->cert_compression_algs,
                                     last->cert_compression_algs + last->cert_compression_count);
    EXPECT_EQ(algorithms, std::vector<uint16_t>{2});  // brotli
    EXPECT_EQ(last->version, 0x0304);
}

// Wire builders for the cases no real peer sends; each field is commented.
Bytes u16(uint32_t v) {
    return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}
Bytes u24(uint32_t v) {
    return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}
Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}
Bytes text(const std::string &s) {
    return Bytes(s.begin(), s.end());
}

Bytes record(const Bytes &payload, uint16_t version = 0x0301) {
    return cat({{22}, u16(version), u16(static_cast<uint32_t>(payload.size())), payload});
}
Bytes handshake(uint8_t type, const Bytes &body) {
    return cat({{type}, u24(static_cast<uint32_t>(body.size())), body});
}
Bytes extension(uint16_t type, const Bytes &data) {
    return cat({u16(type), u16(static_cast<uint32_t>(data.size())), data});
}
Bytes client_hello(const Bytes &extensions, bool with_block = true) {
    return handshake(1, cat({u16(0x0303),      // client version
                             Bytes(32, 0x11),  // random
                             {0},              // session id: empty
                             u16(4),
                             u16(0x1301),  // two cipher suites
                             u16(0xc02f),  //
                             {1, 0},       // compression: null only
                             with_block ? u16(static_cast<uint32_t>(extensions.size()))
                                        : Bytes{},  // extensions length
                             extensions}));
}
Bytes server_name(const Bytes &entries) {
    return extension(0, cat({u16(static_cast<uint32_t>(entries.size())), entries}));
}
Bytes host_name(uint8_t type, const std::string &name) {
    return cat({{type}, u16(static_cast<uint32_t>(name.size())), text(name)});
}
Bytes versions(const Bytes &list) {
    return extension(43, cat({{static_cast<uint8_t>(list.size())}, list}));
}

TEST(TlsScan, ClientHelloCases) {
    struct Row {
        const char *name;
        Bytes bytes;
        Events events;
    } rows[] = {
        {"no reported extension",
         record(client_hello(extension(10, u16(0)))),
         {"CLIENT_HELLO 0303 2 suites", "RECORD_DONE"}},
        {"no extensions block",
         record(client_hello({}, false)),
         {"CLIENT_HELLO 0303 2 suites", "ERROR", "ERROR"}},
        {"extensions longer than the body",
         record(handshake(
             1,
             cat({u16(0x0303), Bytes(32, 0), {0}, u16(2), u16(0x1301), {1, 0}, u16(9), u16(0)}))),
         {"CLIENT_HELLO 0303 1 suites", "ERROR", "ERROR"}},
        {"version raised by supported_versions",
         record(client_hello(versions(cat({u16(0x0304), u16(0x0303)})))),
         {"CLIENT_HELLO 0303 2 suites", "SUPPORTED_VERSIONS 0303-0304", "RECORD_DONE"}},
        {"only GREASE versions",
         record(client_hello(versions(cat({u16(0x2a2a), u16(0x7a7a)})))),
         {"CLIENT_HELLO 0303 2 suites", "RECORD_DONE"}},
        // An error inside an extension's data leaves the walk at the next
        // extension, so the scan can go on.
        {"odd supported_versions",
         record(client_hello(cat({versions({3, 4, 3}), extension(18, {})}))),
         {"CLIENT_HELLO 0303 2 suites", "ERROR", "SCT", "RECORD_DONE"}},
        {"supported_versions length byte disagrees",
         record(client_hello(extension(43, cat({{4}, u16(0x0304)})))),
         {"CLIENT_HELLO 0303 2 suites", "ERROR", "RECORD_DONE"}},
        {"odd compress_certificate",
         record(client_hello(extension(27, {3, 0, 2, 0}))),
         {"CLIENT_HELLO 0303 2 suites", "ERROR", "RECORD_DONE"}},
        {"second server name entry is the host",
         record(client_hello(server_name(cat({host_name(1, "x"), host_name(0, "a.test")})))),
         {"CLIENT_HELLO 0303 2 suites", "SERVER_NAME a.test", "RECORD_DONE"}},
        {"server name past its list",
         record(client_hello(server_name(cat({{0}, u16(9), text("a.test")})))),
         {"CLIENT_HELLO 0303 2 suites", "ERROR", "RECORD_DONE"}},
        {"server name list longer than the extension",
         record(client_hello(extension(0, cat({u16(20), host_name(0, "a")})))),
         {"CLIENT_HELLO 0303 2 suites", "ERROR", "RECORD_DONE"}},
        {"ALPN list longer than the extension",
         record(client_hello(extension(16, cat({u16(9), {2}, text("h2")})))),
         {"CLIENT_HELLO 0303 2 suites", "ERROR", "RECORD_DONE"}},
        {"flag extensions",
         record(client_hello(cat({extension(0x4469, {}), extension(0xffce, {1}),
                                  extension(0x1a1a, {}), extension(0x1a1b, {})}))),
         {"CLIENT_HELLO 0303 2 suites", "ALPS", "ENCRYPTED_SNI", "GREASE", "RECORD_DONE"}},
        // With 1 to 3 bytes left nothing advances: the error repeats.
        {"truncated extension",
         record(client_hello(cat({extension(18, {}), {0, 0}}))),
         {"CLIENT_HELLO 0303 2 suites", "SCT", "ERROR", "ERROR"}},
        {"client version below the record's",
         record(handshake(1, cat({u16(0x0301), Bytes(40, 0)})), 0x0303),
         {"ERROR", "ERROR"}},
        {"body of 34 bytes",
         record(handshake(1, cat({u16(0x0303), Bytes(32, 0)}))),
         {"ERROR", "ERROR"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(tls_events(row.bytes, false, nullptr, 2), row.events);
        EXPECT_EQ(tls_events(row.bytes, true, nullptr, 2), row.events);
    }
}

TEST(TlsScan, RecordCases) {
    Bytes hello = client_hello(extension(18, {}));
    // A ClientHello split over two records: its header claims more body than
    // the first record holds.
    Bytes fragmented = cat({record(Bytes(hello.begin(), hello.begin() + 20)),
                            record(Bytes(hello.begin() + 20, hello.end()))});
    struct Row {
        const char *name;
        Bytes bytes;
        Events events;
    } rows[] = {
        {"one byte", {22}, {}},
        {"not a handshake record", {23, 3, 3, 0, 0}, {"ERROR"}},
        {"not TLS", {22, 2, 0, 0, 0}, {"ERROR"}},
        {"SSL 3.0 record", record(hello, 0x0300), {"ERROR"}},
        {"message longer than its record", record(cat({{1}, u24(500), Bytes(10, 0)})), {"ERROR"}},
        {"short message header", record({14, 0}), {"ERROR"}},
        {"fragmented ClientHello", fragmented, {"ERROR"}},
        {"unknown message", record(handshake(4, {})), {"ERROR"}},
        {"empty record", record({}), {"RECORD_DONE"}},
        {"server messages in one record",
         record(cat({handshake(2, Bytes(40, 0)), handshake(12, {1}), handshake(13, {}),
                     handshake(14, {})}),
                0x0303),
         {"SERVER_HELLO", "SERVER_KEY_EXCHANGE", "CERTIFICATE_REQUEST", "SERVER_HELLO_DONE",
          "RECORD_DONE"}},
        {"two records",
         cat({record(handshake(14, {})), record(hello)}),
         {"SERVER_HELLO_DONE", "RECORD_DONE", "CLIENT_HELLO 0303 2 suites", "SCT", "RECORD_DONE"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(tls_events(row.bytes, false), row.events);
        EXPECT_EQ(tls_events(row.bytes, true), row.events);
    }
}

TEST(TlsScan, IncompleteRecordConsumesNothing) {
    Bytes bytes = record(handshake(14, {}));
    auto state = std::make_unique<tls_scan_state>();
    memset(state.get(), 0, sizeof(*state));
    state->in_ptr = bytes.data();
    state->in_len = static_cast<uint32_t>(bytes.size() - 1);
    EXPECT_EQ(tls_scan_step(state.get()), TLS_SCAN_NEED_MORE);
    EXPECT_EQ(state->in_ptr, bytes.data());
    EXPECT_EQ(state->in_len, bytes.size() - 1);
    state->in_len = static_cast<uint32_t>(bytes.size());
    EXPECT_EQ(tls_scan_step(state.get()), TLS_SCAN_SERVER_HELLO_DONE);
    EXPECT_EQ(state->in_len, 0u);
}

struct KeyDeleter {
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct CertDeleter {
    void operator()(X509 *cert) const { X509_free(cert); }
};

// A self-signed certificate with the given subject entries. The common name
// is set as raw UTF8String data, which bypasses the 64-character limit that
// OpenSSL's text setters enforce, so an oversized name can be tested.
Bytes certificate_der(const std::string &common_name, const std::string &organisation) {
    std::unique_ptr<EVP_PKEY, KeyDeleter> key(EVP_EC_gen("P-256"));
    std::unique_ptr<X509, CertDeleter> cert(X509_new());
    X509_set_version(cert.get(), X509_VERSION_3);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 3600);
    X509_NAME *name = X509_get_subject_name(cert.get());
    auto add = [name](int nid, const std::string &value) {
        X509_NAME_add_entry_by_NID(name, nid, V_ASN1_UTF8STRING,
                                   reinterpret_cast<const unsigned char *>(value.data()),
                                   static_cast<int>(value.size()), -1, 0);
    };
    add(NID_organizationName, organisation);
    if (!common_name.empty()) {
        add(NID_commonName, common_name);
    }
    X509_set_issuer_name(cert.get(), name);
    X509_set_pubkey(cert.get(), key.get());
    X509_sign(cert.get(), key.get(), EVP_sha256());
    int length = i2d_X509(cert.get(), nullptr);
    Bytes der(static_cast<size_t>(length));
    unsigned char *out = der.data();
    i2d_X509(cert.get(), &out);
    return der;
}

Bytes certificate_message(const Bytes &der) {
    Bytes chain = cat({u24(static_cast<uint32_t>(der.size())), der});
    return record(handshake(11, cat({u24(static_cast<uint32_t>(chain.size())), chain})), 0x0303);
}

TEST(TlsScan, CertificateCases) {
    std::string long_name(2000, 'n');
    Bytes good = certificate_der("cn.ovcore.test", "ovcore tests");
    struct Row {
        const char *name;
        Bytes bytes;
        Events events;
    } rows[] = {
        {"common name", certificate_message(good), {"CERTIFICATE cn.ovcore.test", "RECORD_DONE"}},
        {"long common name truncated",
         certificate_message(certificate_der(long_name, "o")),
         {"CERTIFICATE " + long_name.substr(0, TLS_SCAN_CN_CAPACITY - 1), "RECORD_DONE"}},
        {"no common name", certificate_message(certificate_der("", "ovcore tests")), {"ERROR"}},
        {"not DER", certificate_message(Bytes(40, 0x30)), {"ERROR"}},
        {"empty certificate", certificate_message({}), {"ERROR"}},
        {"list longer than the body",
         record(handshake(11, cat({u24(static_cast<uint32_t>(good.size() + 9)),
                                   u24(static_cast<uint32_t>(good.size())), good}))),
         {"ERROR"}},
        {"first certificate longer than the list",
         record(handshake(11, cat({u24(static_cast<uint32_t>(good.size() + 3)),
                                   u24(static_cast<uint32_t>(good.size() + 1)), good}))),
         {"ERROR"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(tls_events(row.bytes, false), row.events);
    }
}

}  // namespace
