#include "core/proxy/tls/ssl_domain_filter.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/commons/sqlite_database.h"
#include "tests/support/log_capture.h"

namespace {

using Texts = std::vector<std::string>;

const char kCreateTableSql[] = "CREATE TABLE IF NOT EXISTS evhosts (host TEXT NOT NULL UNIQUE);";

// A connection of the test's own, so that what the filter wrote is read back
// independently of the filter's connection.
struct Connection {
    explicit Connection(const std::string &path) {
        EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    }
    ~Connection() { sqlite3_close(db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void exec(const std::string &sql) {
        char *error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
            << sql << ": " << (error ? error : "");
        sqlite3_free(error);
    }

    // The first column of every row, in the order SQLite returns them.
    Texts column(const std::string &sql) {
        Texts out;
        sqlite3_stmt *statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(db);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            out.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        return out;
    }

    sqlite3 *db = nullptr;
};

class SslDomainFilterTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/ovcore-evhosts-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    std::string Path(const std::string &name) const { return root_ + "/" + name; }

    static std::unique_ptr<OvSqliteDatabase> Open(const std::string &path) {
        std::unique_ptr<OvSqliteDatabase> database = OvSqliteDatabase::open(path, nullptr);
        EXPECT_NE(database, nullptr);
        return database;
    }

    static OvProxyFilterConfig With(OvSqliteDatabase *database) {
        OvProxyFilterConfig config;
        config.database = database;
        return config;
    }

    // The stored hosts in insertion order, which is the order the flush wrote.
    static Texts StoredHosts(const std::string &path) {
        return Connection(path).column("SELECT host FROM evhosts ORDER BY rowid;");
    }

    std::string root_;
};

TEST_F(SslDomainFilterTest, ShutdownWithoutDatabaseTouchesNoSql) {
    struct Row {
        const char *name;
        bool initialise;
    } rows[] = {
        {"never initialised", false},
        {"initialised without a database", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LogCapture capture;
        OvSslDomainFilter filter;
        if (row.initialise) {
            EXPECT_EQ(filter.init(OvProxyFilterConfig()), 0);
        }
        filter.addEvHost("ev.example");
        filter.markBypassed("bypassed.example");
        filter.markCertificateError("broken.example");
        filter.shutdown();
        // Every SQL step at TRACE leaves a line; there is none.
        EXPECT_TRUE(capture.lines().empty());
        EXPECT_FALSE(filter.isEvHost("ev.example"));
        // The timed caches outlive shutdown.
        EXPECT_TRUE(filter.isBypassed("bypassed.example"));
        EXPECT_TRUE(filter.hasCertificateError("broken.example"));
    }
}

TEST_F(SslDomainFilterTest, InitCreatesTheTable) {
    std::string path = Path("fresh.db");
    std::unique_ptr<OvSqliteDatabase> database = Open(path);
    LogCapture capture;
    OvSslDomainFilter filter;
    EXPECT_EQ(filter.init(With(database.get())), 0);
    EXPECT_EQ(capture.messages(), Texts{"hosts-EV: loaded 0 entries from DB"});
    EXPECT_EQ(Connection(path).column("SELECT sql FROM sqlite_master WHERE name = 'evhosts';"),
              Texts{"CREATE TABLE evhosts (host TEXT NOT NULL UNIQUE)"});
    filter.shutdown();
}

TEST_F(SslDomainFilterTest, FlushStoresExactlyTheCachedHosts) {
    struct Row {
        const char *name;
        Texts added;
        Texts stored;  // most recently used first
        Texts messages;
    } rows[] = {
        {"no hosts",
         {},
         {},
         {"hosts-EV: removed all the entries", "hosts-EV: stored 0 entries to DB"}},
        {"several hosts",
         {"a.example", "b.example", "c.example"},
         {"c.example", "b.example", "a.example"},
         {"hosts-EV: removed all the entries", "hosts-EV: stored 3 entries to DB"}},
        {"a host added twice is stored once",
         {"a.example", "b.example", "a.example"},
         {"a.example", "b.example"},
         {"hosts-EV: removed all the entries", "hosts-EV: stored 2 entries to DB"}},
        {"a host already in the table",
         {"stale.example"},
         {"stale.example"},
         {"hosts-EV: removed all the entries", "hosts-EV: stored 1 entries to DB"}},
    };
    int index = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string path = Path("flush" + std::to_string(index++) + ".db");
        std::unique_ptr<OvSqliteDatabase> database = Open(path);
        LogCapture capture;
        OvSslDomainFilter filter;
        ASSERT_EQ(filter.init(With(database.get())), 0);
        // Rows the cache does not hold; the flush must drop them.
        Connection(path).exec(
            "INSERT INTO evhosts (host) VALUES ('stale.example'), ('old.example');");
        for (const std::string &host : row.added) {
            filter.addEvHost(host);
        }
        capture.clear();
        filter.shutdown();
        EXPECT_EQ(capture.messages(LOG_LEVEL_TRACE), row.messages);
        EXPECT_EQ(capture.messages().size(), row.messages.size());
        EXPECT_EQ(StoredHosts(path), row.stored);
        EXPECT_FALSE(filter.isEvHost("a.example"));
    }
}

TEST_F(SslDomainFilterTest, SuccessfulFlushIsSilentWithoutTrace) {
    std::string path = Path("quiet.db");
    std::unique_ptr<OvSqliteDatabase> database = Open(path);
    LogCapture capture(LOG_LEVEL_DEBUG);
    OvSslDomainFilter filter;
    ASSERT_EQ(filter.init(With(database.get())), 0);
    filter.addEvHost("a.example");
    filter.shutdown();
    EXPECT_TRUE(capture.lines().empty());
    EXPECT_EQ(StoredHosts(path), Texts{"a.example"});
}

TEST_F(SslDomainFilterTest, HostsSurviveARestart) {
    std::string path = Path("restart.db");
    {
        std::unique_ptr<OvSqliteDatabase> database = Open(path);
        OvSslDomainFilter filter;
        ASSERT_EQ(filter.init(With(database.get())), 0);
        filter.addEvHost("a.example");
        filter.addEvHost("b.example");
        filter.addEvHost("c.example");
        EXPECT_TRUE(filter.isEvHost("a.example"));  // now the most recently used
        filter.shutdown();
    }
    const Texts stored{"a.example", "c.example", "b.example"};
    EXPECT_EQ(StoredHosts(path), stored);

    std::unique_ptr<OvSqliteDatabase> database = Open(path);
    LogCapture capture;
    OvSslDomainFilter filter;
    ASSERT_EQ(filter.init(With(database.get())), 0);
    EXPECT_EQ(capture.messages(), Texts{"hosts-EV: loaded 3 entries from DB"});
    // Looked up least recent first, so that the lookups leave the order as
    // loaded.
    EXPECT_TRUE(filter.isEvHost("b.example"));
    EXPECT_TRUE(filter.isEvHost("c.example"));
    EXPECT_TRUE(filter.isEvHost("a.example"));
    EXPECT_FALSE(filter.isEvHost("unknown.example"));
    filter.shutdown();
    EXPECT_EQ(StoredHosts(path), stored);
}

// The tests run as root, whom file modes do not stop, so the connection is
// made to refuse writes instead: SQLite then fails them with the same error
// as on a read-only file.
TEST_F(SslDomainFilterTest, FlushToReadOnlyDatabase) {
    std::string path = Path("readonly.db");
    std::unique_ptr<OvSqliteDatabase> database = Open(path);
    OvSslDomainFilter filter;
    ASSERT_EQ(filter.init(With(database.get())), 0);
    Connection(path).exec("INSERT INTO evhosts (host) VALUES ('stored.example');");
    filter.addEvHost("new.example");
    ASSERT_EQ(
        sqlite3_exec(database->handle(), "PRAGMA query_only = ON;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    LogCapture capture;
    filter.shutdown();
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0].logger, "OvSslDomainFilter");
    EXPECT_EQ(capture.lines()[0].level, LOG_LEVEL_ERROR);
    EXPECT_EQ(capture.lines()[0].message,
              "sqlite3_step(DELETE FROM evhosts ;): attempt to write a readonly database");
    EXPECT_EQ(StoredHosts(path), Texts{"stored.example"});
    EXPECT_FALSE(filter.isEvHost("new.example"));
}

TEST_F(SslDomainFilterTest, CorruptDatabaseFile) {
    std::string path = Path("corrupt.db");
    const std::string garbage(4096, '\xa5');
    std::ofstream(path, std::ios::binary) << garbage;
    std::unique_ptr<OvSqliteDatabase> database = Open(path);
    LogCapture capture;
    OvSslDomainFilter filter;
    EXPECT_EQ(filter.init(With(database.get())), -1);
    EXPECT_EQ(
        capture.messages(LOG_LEVEL_ERROR),
        Texts{std::string("sqlite3_prepare_v3(") + kCreateTableSql + "): file is not a database"});
    EXPECT_EQ(capture.messages().size(), 1u);
    // The filter still works in memory.
    filter.addEvHost("a.example");
    EXPECT_TRUE(filter.isEvHost("a.example"));
    capture.clear();
    filter.shutdown();
    EXPECT_EQ(capture.messages(LOG_LEVEL_ERROR),
              Texts{"sqlite3_prepare_v3(DELETE FROM evhosts ;): file is not a database"});
    EXPECT_EQ(capture.messages().size(), 1u);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);
}

TEST_F(SslDomainFilterTest, SecondShutdownFindsNothingToDo) {
    std::string path = Path("twice.db");
    std::unique_ptr<OvSqliteDatabase> database = Open(path);
    OvSslDomainFilter filter;
    ASSERT_EQ(filter.init(With(database.get())), 0);
    filter.addEvHost("a.example");
    filter.shutdown();
    LogCapture capture;
    filter.addEvHost("late.example");
    filter.shutdown();
    EXPECT_TRUE(capture.lines().empty());
    EXPECT_FALSE(filter.isEvHost("late.example"));
    EXPECT_EQ(StoredHosts(path), Texts{"a.example"});
}

TEST_F(SslDomainFilterTest, MarksAreRememberedAndReported) {
    using Mark = void (OvSslDomainFilter::*)(std::string_view);
    struct Row {
        const char *name;
        Mark mark;
        std::vector<bool> known;  // isEvHost, isBypassed, hasCertificateError
        Texts reported;
    } rows[] = {
        {"EV host", &OvSslDomainFilter::addEvHost, {true, false, false}, {"ev a.example"}},
        {"bypassed host",
         &OvSslDomainFilter::markBypassed,
         {false, true, false},
         {"bypassed a.example"}},
        {"certificate error",
         &OvSslDomainFilter::markCertificateError,
         {false, false, true},
         {"certificate error a.example"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        OvSslDomainFilter filter;
        Texts reported;
        // A callback may ask the filter again: no filter lock is held.
        auto reporter = [&](const char *what, bool (OvSslDomainFilter::*known)(std::string_view)) {
            return [&, what, known](std::string_view host) {
                EXPECT_TRUE((filter.*known)(host));
                reported.push_back(what + std::string(host));
            };
        };
        OvProxyFilterConfig config;
        config.onEvHost = reporter("ev ", &OvSslDomainFilter::isEvHost);
        config.onBypassedHost = reporter("bypassed ", &OvSslDomainFilter::isBypassed);
        config.onCertificateError =
            reporter("certificate error ", &OvSslDomainFilter::hasCertificateError);
        ASSERT_EQ(filter.init(config), 0);
        (filter.*row.mark)("a.example");
        EXPECT_EQ(reported, row.reported);
        EXPECT_EQ((std::vector<bool>{filter.isEvHost("a.example"), filter.isBypassed("a.example"),
                                     filter.hasCertificateError("a.example")}),
                  row.known);
        EXPECT_FALSE(filter.isBypassed("b.example"));
    }
}

}  // namespace
