#include "core/commons/sqlite_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/commons/logger.h"
#include "tests/support/log_capture.h"

namespace {

class SqliteDatabaseTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/ovcore-sqlite-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    std::string root_;
};

TEST_F(SqliteDatabaseTest, Open) {
    struct Row {
        const char *name;
        std::string path;
        bool opens;
    };
    const Row rows[] = {
        {"missing file is created", root_ + "/new.db", true},
        {"existing file", root_ + "/new.db", true},
        {"missing directory", root_ + "/missing/new.db", false},
        {"a directory", root_, false},
    };
    LogHandle log("sqlite-test", -1);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LogCapture capture;
        std::unique_ptr<OvSqliteDatabase> database = OvSqliteDatabase::open(row.path, log.get());
        if (!row.opens) {
            EXPECT_EQ(database, nullptr);
            EXPECT_EQ(capture.messages(LOG_LEVEL_ERROR),
                      std::vector<std::string>{"open(): sqlite3_open_v2(" + row.path +
                                               "): unable to open database file"});
            continue;
        }
        ASSERT_NE(database, nullptr);
        EXPECT_TRUE(capture.messages().empty());
        EXPECT_EQ(access(row.path.c_str(), F_OK), 0);
        EXPECT_EQ(sqlite3_exec(database->handle(), "CREATE TABLE IF NOT EXISTS t (x);", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
    }
}

TEST_F(SqliteDatabaseTest, SilentWithoutLogger) {
    LogCapture capture;
    EXPECT_EQ(OvSqliteDatabase::open(root_ + "/missing/new.db", nullptr), nullptr);
    EXPECT_TRUE(capture.messages().empty());
}

}  // namespace
