// The self-test's recorded inputs give the scanner results the self-test is
// written for.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/selftest_block.h"
#include "tests/support/tls_events.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes block() {
    std::ifstream in(std::string(OVCORE_TEST_DATA) + "/../assets/selftest/handshakes.bin",
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SelftestBlock, EachInputYieldsItsResults) {
    Bytes bytes = block();
    ASSERT_EQ(bytes.size(), SELFTEST_BLOCK_SIZE);
    const std::vector<int> expected[] = {
        {TLS_SCAN_CLIENT_HELLO, TLS_SCAN_SERVER_NAME, TLS_SCAN_ALPN},
        {TLS_SCAN_CLIENT_HELLO, TLS_SCAN_RECORD_DONE},
        {TLS_SCAN_ERROR},
        {TLS_SCAN_SERVER_HELLO},
        {TLS_SCAN_CERTIFICATE},
        {TLS_SCAN_SERVER_KEY_EXCHANGE},
        {TLS_SCAN_SERVER_HELLO_DONE, TLS_SCAN_RECORD_DONE},
        {TLS_SCAN_CLIENT_HELLO, TLS_SCAN_SERVER_NAME, TLS_SCAN_ALPN, TLS_SCAN_SUPPORTED_VERSIONS,
         TLS_SCAN_RECORD_DONE},
    };
    for (size_t i = 0; i < std::size(SELFTEST_INPUTS); ++i) {
        const selftest_input &input = SELFTEST_INPUTS[i];
        SCOPED_TRACE(input.offset);
        // Each input in a buffer of its own size, so that a read past it is
        // caught.
        Bytes own(bytes.begin() + input.offset, bytes.begin() + input.offset + input.length);
        selftest_input alone = input;
        alone.offset = 0;
        int results[16];
        int count = selftest_scan(own.data(), alone, results, 16);
        EXPECT_EQ(std::vector<int>(results, results + count), expected[i]);
    }
}

// What the results carry: the whole of each input, scanned to its end.
TEST(SelftestBlock, Contents) {
    Bytes bytes = block();
    ASSERT_EQ(bytes.size(), SELFTEST_BLOCK_SIZE);
    struct Row {
        size_t offset;
        size_t length;
        std::vector<std::string> events;
    } rows[] = {
        {0, 305, {"CLIENT_HELLO 0303 85 suites", "RECORD_DONE"}},
        {305, 71, {"SERVER_HELLO", "RECORD_DONE"}},
        {376, 3977, {"CERTIFICATE ovcore.example", "RECORD_DONE"}},
        {4353,
         189,
         {"CLIENT_HELLO 0303 20 suites", "SERVER_NAME ovcore.example", "ALPN h2,http/1.1",
          "RECORD_DONE"}},
        {5026, 338, {"SERVER_KEY_EXCHANGE", "RECORD_DONE"}},
        {5373,
         517,
         {"CLIENT_HELLO 0303 17 suites", "SERVER_NAME ovcore.example", "ALPN h2,http/1.1",
          "SUPPORTED_VERSIONS 0301-0304", "RECORD_DONE"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.offset);
        Bytes own(bytes.begin() + row.offset, bytes.begin() + row.offset + row.length);
        EXPECT_EQ(tls_events(own, false), row.events);
    }
}

}  // namespace
