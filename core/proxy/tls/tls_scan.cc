#include "core/proxy/tls/tls_scan.h"

#include <openssl/bio.h>
#include <openssl/objects.h>
#include <openssl/x509.h>

#include <memory>

#include "core/commons/byte_reader.h"

namespace {

constexpr uint8_t kContentHandshake = 22;
constexpr int kMinVersion = 0x0301;  // TLS 1.0: SSL 3.0 records are refused

enum : uint8_t {
    kClientHello = 1,
    kServerHello = 2,
    kCertificate = 11,
    kServerKeyExchange = 12,
    kCertificateRequest = 13,
    kServerHelloDone = 14,
};

enum : uint16_t {
    kExtServerName = 0,
    kExtAlpn = 16,
    kExtSct = 18,
    kExtCompressCertificate = 27,
    kExtSupportedVersions = 43,
    kExtAlps = 0x4469,
    kExtEncryptedSni = 0xffce,
};

// Loop marker: the state changed and the scan goes on within this call.
constexpr int kContinue = 0;

// A reader over a (length, pointer) pair of the state; `commit` writes the
// unread rest back.
struct View {
    byte_reader_t reader;

    View(const uint8_t *ptr, uint32_t len) : reader(byte_reader_init(ptr, len)) {}
    void commit(const uint8_t **ptr, uint32_t *len) const {
        *ptr = byte_reader_cursor(&reader);
        *len = static_cast<uint32_t>(byte_reader_remaining(&reader));
    }
};

int scan_record(tls_scan_state *s) {
    View in(s->in_ptr, s->in_len);
    uint32_t type_and_major = 0;
    if (byte_reader_peek_be(&in.reader, 2, &type_and_major) != BYTE_READER_OK) {
        return TLS_SCAN_NEED_MORE;
    }
    if (type_and_major != (kContentHandshake << 8 | 3)) {
        return TLS_SCAN_ERROR;
    }
    uint8_t type = 0;
    uint16_t version = 0, length = 0;
    const uint8_t *payload = nullptr;
    if (byte_reader_fetch_u8(&in.reader, &type) != BYTE_READER_OK ||
        byte_reader_fetch_be16(&in.reader, &version) != BYTE_READER_OK ||
        byte_reader_fetch_be16(&in.reader, &length) != BYTE_READER_OK ||
        byte_reader_fetch_bytes(&in.reader, length, &payload) != BYTE_READER_OK) {
        return TLS_SCAN_NEED_MORE;
    }
    s->version = version;
    if (version < kMinVersion) {
        return TLS_SCAN_ERROR;
    }
    s->rec_ptr = payload;
    s->rec_len = length;
    in.commit(&s->in_ptr, &s->in_len);
    s->state = TLS_SCAN_ST_HANDSHAKE;
    return kContinue;
}

// A handshake message must lie within one record: one split over several
// records is refused rather than reassembled.
int scan_handshake(tls_scan_state *s) {
    if (s->rec_len == 0) {
        s->state = TLS_SCAN_ST_RECORD;
        return TLS_SCAN_RECORD_DONE;
    }
    View rec(s->rec_ptr, s->rec_len);
    uint8_t type = 0;
    uint32_t length = 0;
    const uint8_t *body = nullptr;
    if (byte_reader_fetch_u8(&rec.reader, &type) != BYTE_READER_OK ||
        byte_reader_fetch_be24(&rec.reader, &length) != BYTE_READER_OK ||
        byte_reader_fetch_bytes(&rec.reader, length, &body) != BYTE_READER_OK) {
        return TLS_SCAN_ERROR;
    }
    s->blk_ptr = body;
    s->blk_len = length;
    rec.commit(&s->rec_ptr, &s->rec_len);
    switch (type) {
        case kClientHello:
            s->state = TLS_SCAN_ST_CLIENT_HELLO;
            return kContinue;
        case kCertificate:
            s->state = TLS_SCAN_ST_CERTIFICATE;
            return kContinue;
        case kServerHello:
            return TLS_SCAN_SERVER_HELLO;
        case kServerKeyExchange:
            return TLS_SCAN_SERVER_KEY_EXCHANGE;
        case kCertificateRequest:
            return TLS_SCAN_CERTIFICATE_REQUEST;
        case kServerHelloDone:
            return TLS_SCAN_SERVER_HELLO_DONE;
        default:
            return TLS_SCAN_ERROR;
    }
}

// Skips a vector with a length prefix of `width` bytes, handing out its body.
bool fetch_vector(byte_reader_t *r, size_t width, const uint8_t **body, uint32_t *length) {
    uint32_t n = 0;
    if (byte_reader_peek_be(r, width, &n) != BYTE_READER_OK || byte_reader_skip(r, width) ||
        byte_reader_fetch_bytes(r, n, body) != BYTE_READER_OK) {
        return false;
    }
    *length = n;
    return true;
}

int scan_client_hello(tls_scan_state *s) {
    if (s->blk_len <= 34) {
        return TLS_SCAN_ERROR;
    }
    View body(s->blk_ptr, s->blk_len);
    uint16_t version = 0;
    byte_reader_fetch_be16(&body.reader, &version);
    if (version < s->version || (version >> 8) != 3) {
        return TLS_SCAN_ERROR;
    }
    s->version = version;
    const uint8_t *unused = nullptr;
    uint32_t unused_length = 0;
    byte_reader_skip(&body.reader, 32);                             // random
    if (!fetch_vector(&body.reader, 1, &unused, &unused_length) ||  // session id
        !fetch_vector(&body.reader, 2, &s->ciphers_ptr, &s->ciphers_len) ||
        !fetch_vector(&body.reader, 1, &unused, &unused_length)) {  // compression methods
        return TLS_SCAN_ERROR;
    }
    body.commit(&s->blk_ptr, &s->blk_len);
    s->state = TLS_SCAN_ST_EXTENSIONS_LENGTH;
    return TLS_SCAN_CLIENT_HELLO;
}

// The block goes on to everything after the length bytes, not just the
// declared extensions; the walk stops at its end.
int scan_extensions_length(tls_scan_state *s) {
    View block(s->blk_ptr, s->blk_len);
    uint16_t length = 0;
    if (byte_reader_fetch_be16(&block.reader, &length) != BYTE_READER_OK ||
        byte_reader_remaining(&block.reader) < length) {
        return TLS_SCAN_ERROR;
    }
    block.commit(&s->blk_ptr, &s->blk_len);
    s->state = TLS_SCAN_ST_EXTENSIONS;
    return kContinue;
}

int scan_server_name(tls_scan_state *s, byte_reader_t data) {
    const uint8_t *list = nullptr;
    uint32_t list_length = 0;
    if (!fetch_vector(&data, 2, &list, &list_length)) {
        return TLS_SCAN_ERROR;
    }
    byte_reader_t entries = byte_reader_init(list, list_length);
    while (byte_reader_remaining(&entries) >= 3) {
        uint8_t type = 0;
        const uint8_t *name = nullptr;
        uint32_t name_length = 0;
        byte_reader_fetch_u8(&entries, &type);
        if (!fetch_vector(&entries, 2, &name, &name_length)) {
            return TLS_SCAN_ERROR;
        }
        if (type == 0) {  // host_name
            s->sni_ptr = name;
            s->sni_len = name_length;
            return TLS_SCAN_SERVER_NAME;
        }
    }
    return kContinue;
}

int scan_alpn(tls_scan_state *s, byte_reader_t data) {
    if (!fetch_vector(&data, 2, &s->alpn_ptr, &s->alpn_len)) {
        return TLS_SCAN_ERROR;
    }
    return TLS_SCAN_ALPN;
}

// A list of 16-bit values behind a one-byte length that covers exactly the
// rest of the extension.
bool u16_list(byte_reader_t data, byte_reader_t *list) {
    uint8_t length = 0;
    if (byte_reader_fetch_u8(&data, &length) != BYTE_READER_OK ||
        byte_reader_remaining(&data) != length || length % 2 != 0) {
        return false;
    }
    *list = byte_reader_init(byte_reader_cursor(&data), length);
    return true;
}

int scan_compress_certificate(tls_scan_state *s, byte_reader_t data) {
    byte_reader_t list{};
    if (!u16_list(data, &list)) {
        return TLS_SCAN_ERROR;
    }
    s->cert_compression_count = 0;
    uint16_t algorithm = 0;
    while (byte_reader_fetch_be16(&list, &algorithm) == BYTE_READER_OK) {
        s->cert_compression_algs[s->cert_compression_count++] = algorithm;
    }
    return kContinue;
}

int scan_supported_versions(tls_scan_state *s, byte_reader_t data) {
    byte_reader_t list{};
    if (!u16_list(data, &list)) {
        return TLS_SCAN_ERROR;
    }
    s->min_version = s->max_version = static_cast<uint16_t>(s->version);
    bool any = false;
    uint16_t version = 0;
    while (byte_reader_fetch_be16(&list, &version) == BYTE_READER_OK) {
        if ((version >> 8) != 3) {
            continue;  // GREASE and other non-TLS values
        }
        any = true;
        if (version > s->max_version) {
            s->max_version = version;
        } else if (version < s->min_version) {
            s->min_version = version;
        }
    }
    if (!any) {
        return kContinue;
    }
    s->version = s->max_version;
    return TLS_SCAN_SUPPORTED_VERSIONS;
}

int scan_extension(tls_scan_state *s, uint16_t type, byte_reader_t data) {
    switch (type) {
        case kExtServerName:
            return scan_server_name(s, data);
        case kExtAlpn:
            return scan_alpn(s, data);
        case kExtSct:
            return TLS_SCAN_SCT;
        case kExtCompressCertificate:
            return scan_compress_certificate(s, data);
        case kExtSupportedVersions:
            return scan_supported_versions(s, data);
        case kExtAlps:
            return TLS_SCAN_ALPS;
        case kExtEncryptedSni:
            return TLS_SCAN_ENCRYPTED_SNI;
        default:
            return (type & 0x0f0f) == 0x0a0a ? TLS_SCAN_GREASE : kContinue;
    }
}

// The block is advanced past the extension before its data is looked at, so
// an error inside one extension lets a further call go on with the next.
int scan_extensions(tls_scan_state *s) {
    if (s->blk_len == 0) {
        s->state = TLS_SCAN_ST_HANDSHAKE;
        return kContinue;
    }
    View block(s->blk_ptr, s->blk_len);
    uint16_t type = 0;
    const uint8_t *data = nullptr;
    uint32_t length = 0;
    if (byte_reader_fetch_be16(&block.reader, &type) != BYTE_READER_OK ||
        !fetch_vector(&block.reader, 2, &data, &length)) {
        return TLS_SCAN_ERROR;
    }
    block.commit(&s->blk_ptr, &s->blk_len);
    return scan_extension(s, type, byte_reader_init(data, length));
}

struct X509Deleter {
    void operator()(X509 *x) const { X509_free(x); }
};
struct BioDeleter {
    void operator()(BIO *b) const { BIO_free(b); }
};

// Copies the leaf's subject commonName, truncated to fit the buffer; false
// when the certificate does not decode or has no common name.
bool read_common_name(const uint8_t *der, uint32_t length, tls_scan_state *s) {
    std::unique_ptr<BIO, BioDeleter> bio(BIO_new_mem_buf(der, static_cast<int>(length)));
    if (bio == nullptr) {
        return false;
    }
    std::unique_ptr<X509, X509Deleter> cert(d2i_X509_bio(bio.get(), nullptr));
    if (cert == nullptr) {
        return false;
    }
    int n = X509_NAME_get_text_by_NID(X509_get_subject_name(cert.get()), NID_commonName, s->cn_buf,
                                      TLS_SCAN_CN_CAPACITY);
    if (n < 0) {
        return false;
    }
    s->cn_len = n;
    s->cn_ptr = s->cn_buf;
    return true;
}

// Only the first certificate of the chain (the server's own) is read.
int scan_certificate(tls_scan_state *s) {
    byte_reader_t body = byte_reader_init(s->blk_ptr, s->blk_len);
    const uint8_t *list = nullptr, *der = nullptr;
    uint32_t list_length = 0, der_length = 0;
    if (!fetch_vector(&body, 3, &list, &list_length)) {
        return TLS_SCAN_ERROR;
    }
    byte_reader_t chain = byte_reader_init(list, list_length);
    if (!fetch_vector(&chain, 3, &der, &der_length) || !read_common_name(der, der_length, s)) {
        return TLS_SCAN_ERROR;
    }
    s->state = TLS_SCAN_ST_HANDSHAKE;
    return TLS_SCAN_CERTIFICATE;
}

int scan_once(tls_scan_state *s) {
    switch (s->state) {
        case TLS_SCAN_ST_RECORD:
            return scan_record(s);
        case TLS_SCAN_ST_HANDSHAKE:
            return scan_handshake(s);
        case TLS_SCAN_ST_CLIENT_HELLO:
            return scan_client_hello(s);
        case TLS_SCAN_ST_EXTENSIONS_LENGTH:
            return scan_extensions_length(s);
        case TLS_SCAN_ST_EXTENSIONS:
            return scan_extensions(s);
        case TLS_SCAN_ST_CERTIFICATE:
            return scan_certificate(s);
        default:
            return TLS_SCAN_ERROR;
    }
}

}  // namespace

int tls_scan_step(tls_scan_state *state) {
    int result = kContinue;
    while (result == kContinue) {
        result = scan_once(state);
    }
    return result;
}
