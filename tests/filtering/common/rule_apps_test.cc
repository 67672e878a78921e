#include "core/filtering/common/rule_apps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/log_capture.h"

namespace {

TEST(RuleApps, Matching) {
    rule_apps_t apps;
    ASSERT_EQ(rulecommon_extract_apps("~a.exe| b.exe ", 14, &apps, nullptr), 0);
    struct Row {
        const char *app;
        bool passes;
    } rows[] = {{"b.exe", true},  {"a.exe", false}, {"c.exe", false},
                {"B.exe", false}, {nullptr, false}, {"", false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.app ? row.app : "(null)");
        EXPECT_EQ(match_rule_apps(row.app, &apps), row.passes);
    }
    rule_apps_release(&apps);

    ASSERT_EQ(rulecommon_extract_apps("~a.exe", 6, &apps, nullptr), 0);
    EXPECT_FALSE(match_rule_apps("a.exe", &apps));
    EXPECT_TRUE(match_rule_apps("c.exe", &apps));
    EXPECT_TRUE(match_rule_apps(nullptr, &apps));
    rule_apps_release(&apps);
    EXPECT_TRUE(match_rule_apps("x", nullptr));
}

TEST(RuleApps, Messages) {
    struct Row {
        const char *text;
        int status;
        std::vector<std::string> messages;
    } rows[] = {
        {"a.exe|a.exe", 0, {"rulecommon_extract_apps(): Found duplicate app name: a.exe"}},
        {"a.exe|~|b.exe", -1, {"rulecommon_extract_apps(): Found empty app name: |b.exe"}},
        {"a.exe|~a.exe",
         -1,
         {"rulecommon_extract_apps(): App can't be both enabled and excluded: a.exe"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        LogCapture capture;
        logger_s *logger = logger_open("test", -1);
        rule_apps_t apps;
        EXPECT_EQ(rulecommon_extract_apps(row.text, strlen(row.text), &apps, logger), row.status);
        EXPECT_EQ(capture.messages(LOG_LEVEL_WARN), row.messages);
        if (row.status != 0) {
            EXPECT_EQ(apps.permitted, nullptr);
            EXPECT_EQ(apps.restricted, nullptr);
        }
        rule_apps_release(&apps);
        logger_close(logger);
    }
}

}  // namespace
