#include "core/proxy/browserapi/whitelist_cookie_manager.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

TEST(WhitelistCookie, Texts) {
    const std::string &sb = whitelist_cookie_name(WHITELIST_COOKIE_SAFEBROWSING);
    const std::string &pc = whitelist_cookie_name(WHITELIST_COOKIE_PARENTAL);
    struct Row {
        int kind;
        std::string domain;
        std::string cookie;
    } rows[] = {
        {0, "example.org", sb + "=true; Domain=.example.org; Path=/"},
        {1, "example.org", pc + "=true; Domain=.example.org; Path=/"},
        {1, "localhost", pc + "=true; Domain=; Path=/"},
        {0, "localhost.", sb + "=true; Domain=.localhost.; Path=/"},
        {0, "Example.ORG", sb + "=true; Domain=.Example.ORG; Path=/"},
        {0, "", sb + "=true; Domain=.; Path=/"},
        {2, "example.org", ""},
        {-1, "example.org", ""},
    };
    OvWhitelistCookieManager manager(10);
    for (const Row &row : rows) {
        SCOPED_TRACE(std::to_string(row.kind) + " " + row.domain);
        EXPECT_EQ(manager.makeCookie(row.kind, row.domain), row.cookie);
    }
    EXPECT_EQ(manager.issuedCount(), 6u);
    EXPECT_TRUE(manager.recentlyIssued(1, "localhost"));
    EXPECT_FALSE(manager.recentlyIssued(1, "Example.ORG"));
    EXPECT_FALSE(manager.recentlyIssued(2, "example.org"));
}

TEST(WhitelistCookie, NamesAreRandomPerProcess) {
    const std::regex uuid("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
    const std::string &sb = whitelist_cookie_name(WHITELIST_COOKIE_SAFEBROWSING);
    const std::string &pc = whitelist_cookie_name(WHITELIST_COOKIE_PARENTAL);
    EXPECT_TRUE(std::regex_match(sb, uuid)) << sb;
    EXPECT_TRUE(std::regex_match(pc, uuid)) << pc;
    EXPECT_NE(sb, pc);
    EXPECT_EQ(&sb, &whitelist_cookie_name(WHITELIST_COOKIE_SAFEBROWSING));
}

}  // namespace
