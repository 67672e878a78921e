#include "core/filtering/common/public_suffix.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PublicSuffix, RegistryLength) {
    struct Row {
        const char *host;
        size_t length;
    } rows[] = {
        {"a.example.co.uk", 5},
        {"co.uk", 0},
        {"localhost", 0},
        {"foo.unknowntld", 10},
        {"a.b.kawasaki.jp", 13},
        {"b.kawasaki.jp", 0},      // wildcard *.kawasaki.jp
        {"city.kawasaki.jp", 11},  // exception !city.kawasaki.jp
        {"a.EXAMPLE.co.UK", 2},
        {"", 0},
        {"...", 0},
        {".example.com", 3},
        {"example.com.", 3},
        {"example.com..", 0},
        {"com", 0},
        {"www.example.com", 3},
        {"myproject.github.io", 9},  // private section: github.io is a suffix
        {"github.io", 0},
        {"x.xn--55qx5d.cn", 13},  // punycode of an IDN suffix
        {"192.168.0.1", 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.host);
        EXPECT_EQ(registry_length(row.host, strlen(row.host)), row.length);
    }
}

TEST(PublicSuffix, RegistrableDomain) {
    struct Row {
        const char *host;
        const char *domain;  // null for none
    } rows[] = {
        {"a.example.co.uk", "example.co.uk"},
        {"example.co.uk", "example.co.uk"},
        {"www.example.com", "example.com"},
        {"example.com.", "example.com."},
        {"a.b.c.myproject.github.io", "myproject.github.io"},
        {"co.uk", nullptr},
        {"localhost", nullptr},
        {".example.com", nullptr},
        {"", nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.host);
        const char *domain = registrable_domain(row.host);
        if (row.domain == nullptr) {
            EXPECT_EQ(domain, nullptr);
        } else {
            ASSERT_NE(domain, nullptr);
            EXPECT_STREQ(domain, row.domain);
        }
    }
    EXPECT_EQ(registrable_domain(nullptr), nullptr);
}

}  // namespace
