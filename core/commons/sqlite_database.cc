#include "core/commons/sqlite_database.h"

#include <sqlite3.h>

#include "core/commons/logger.h"

void OvSqliteDatabase::Close::operator()(sqlite3 *connection) const {
    sqlite3_close_v2(connection);
}

std::unique_ptr<OvSqliteDatabase> OvSqliteDatabase::open(const std::string &path, logger_s *log) {
    sqlite3 *raw = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // SQLite hands out a connection even when opening fails (to carry the
    // error message), and that one must be closed as well.
    Connection connection(raw);
    if (rc != SQLITE_OK) {
        logger_log(log, LOG_LEVEL_ERROR, "%s(): sqlite3_open_v2(%s): %s", __func__, path.c_str(),
                   sqlite3_errmsg(connection.get()));
        return nullptr;
    }
    return std::unique_ptr<OvSqliteDatabase>(new OvSqliteDatabase(std::move(connection)));
}
