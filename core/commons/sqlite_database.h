// OvSqliteDatabase: one open SQLite connection, for the subsystems that keep
// state in a database file. The holder owns the connection and closes it when
// destroyed; users borrow handle() for their statements and must finalize
// them before the holder goes away.
#pragma once

#include <memory>
#include <string>
#include <utility>

struct sqlite3;
struct logger_s;

class OvSqliteDatabase {
  public:
    // Opens `path` for reading and writing, creating the file when it is
    // missing. Returns null when SQLite cannot open it, after logging
    // "open(): sqlite3_open_v2(<path>): <SQLite's message>" at ERROR through
    // `log` (which may be null to stay silent).
    static std::unique_ptr<OvSqliteDatabase> open(const std::string &path, logger_s *log);

    // The connection; valid as long as the holder.
    sqlite3 *handle() const { return connection_.get(); }

  private:
    struct Close {
        void operator()(sqlite3 *connection) const;
    };
    using Connection = std::unique_ptr<sqlite3, Close>;

    explicit OvSqliteDatabase(Connection connection) : connection_(std::move(connection)) {}

    Connection connection_;
};
