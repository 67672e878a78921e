#include "core/proxy/tls/ssl_domain_filter.h"

#include <sqlite3.h>

#include <memory>
#include <vector>

#include "core/commons/sqlite_database.h"

namespace {

constexpr std::string_view kCreateTable =
    "CREATE TABLE IF NOT EXISTS evhosts (host TEXT NOT NULL UNIQUE);";
// Oldest first, so that loading leaves the most recently used host the most
// recently used again: the flush stores the cache's order, newest first.
constexpr std::string_view kSelectHosts = "SELECT host FROM evhosts ORDER BY rowid DESC;";
constexpr std::string_view kDeleteAll = "DELETE FROM evhosts ;";
constexpr std::string_view kInsertHost = "INSERT OR IGNORE INTO evhosts (host) VALUES ( ? );";
// prepare is handed exactly these lengths; keep edits from changing them.
static_assert(kDeleteAll.size() == 21 && kInsertHost.size() == 50);

struct Finalize {
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

// Null when SQLite refuses the statement, which is logged.
Statement prepare(const LogHandle &log, sqlite3 *db, std::string_view sql) {
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), 0, &raw, nullptr) !=
        SQLITE_OK) {
        log.log(LOG_LEVEL_ERROR, "sqlite3_prepare_v3(%.*s): %s", static_cast<int>(sql.size()),
                sql.data(), sqlite3_errmsg(db));
    }
    return Statement(raw);
}

// Runs a statement that returns no rows. `sql` is one of the literals above,
// so its data is NUL-terminated.
bool stepToEnd(const LogHandle &log, sqlite3 *db, sqlite3_stmt *statement, std::string_view sql) {
    if (sqlite3_step(statement) != SQLITE_DONE) {
        log.log(LOG_LEVEL_ERROR, "sqlite3_step(%s): %s", sql.data(), sqlite3_errmsg(db));
        return false;
    }
    return true;
}

bool storeEvHost(const LogHandle &log, sqlite3 *db, sqlite3_stmt *insert, const std::string &host) {
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    // The host string outlives the step, so SQLite need not copy it.
    if (sqlite3_bind_text(insert, 1, host.data(), static_cast<int>(host.size()), SQLITE_STATIC) !=
        SQLITE_OK) {
        log.log(LOG_LEVEL_ERROR, "sqlite3_bind_text(): %s", sqlite3_errmsg(db));
        return false;
    }
    return stepToEnd(log, db, insert, kInsertHost);
}

void notify(const std::function<void(std::string_view)> &callback, std::string_view host) {
    if (callback) {
        callback(host);
    }
}

}  // namespace

OvSslDomainFilter::OvSslDomainFilter() : log("OvSslDomainFilter", -1) {}

OvSslDomainFilter::~OvSslDomainFilter() = default;

int OvSslDomainFilter::init(const OvProxyFilterConfig &config) {
    database = config.database;
    onEvHost = config.onEvHost;
    onBypassedHost = config.onBypassedHost;
    onCertificateError = config.onCertificateError;
    if (database == nullptr) {
        return 0;
    }
    return createEvHostsTable() && loadEvHosts() ? 0 : -1;
}

bool OvSslDomainFilter::createEvHostsTable() {
    sqlite3 *db = database->handle();
    Statement create = prepare(log, db, kCreateTable);
    return create && stepToEnd(log, db, create.get(), kCreateTable);
}

bool OvSslDomainFilter::loadEvHosts() {
    sqlite3 *db = database->handle();
    Statement select = prepare(log, db, kSelectHosts);
    if (!select) {
        return false;
    }
    std::lock_guard<std::mutex> guard(hostsLock);
    unsigned loaded = 0;
    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        // A table made elsewhere may lack the NOT NULL constraint.
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(select.get(), 0));
        if (text != nullptr) {
            evHosts.put(std::string(text, sqlite3_column_bytes(select.get(), 0)), 1);
            ++loaded;
        }
    }
    if (rc != SQLITE_DONE) {
        log.log(LOG_LEVEL_ERROR, "sqlite3_step(%s): %s", kSelectHosts.data(), sqlite3_errmsg(db));
        return false;
    }
    if (log.traceEnabled()) {
        log.log(LOG_LEVEL_TRACE, "hosts-EV: loaded %u entries from DB", loaded);
    }
    return true;
}

void OvSslDomainFilter::shutdown() {
    if (database != nullptr) {
        // Failures are logged by the flush, and there is nothing else to try.
        flushEvHosts();
        database = nullptr;
    }
    std::lock_guard<std::mutex> guard(hostsLock);
    flaggedValue.reset();
    flag = false;
    for (HostTable &table : hostTables) {
        table.clear();
    }
    hostSet.clear();
    evHosts.clear();
}

bool OvSslDomainFilter::flushEvHosts() {
    std::lock_guard<std::mutex> guard(dbLock);
    if (database == nullptr) {
        return true;
    }
    if (!deleteStoredEvHosts()) {
        return false;
    }
    bool stored = storeEvHosts();
    database = nullptr;
    return stored;
}

bool OvSslDomainFilter::deleteStoredEvHosts() {
    sqlite3 *db = database->handle();
    Statement remove = prepare(log, db, kDeleteAll);
    if (!remove || !stepToEnd(log, db, remove.get(), kDeleteAll)) {
        return false;
    }
    if (log.traceEnabled()) {
        log.log(LOG_LEVEL_TRACE, "hosts-EV: removed all the entries");
    }
    return true;
}

bool OvSslDomainFilter::storeEvHosts() {
    sqlite3 *db = database->handle();
    Statement insert = prepare(log, db, kInsertHost);
    if (!insert) {
        return false;
    }
    std::vector<std::string> hosts;
    {
        std::lock_guard<std::mutex> guard(hostsLock);
        hosts = evHosts.keys();
    }
    for (const std::string &host : hosts) {
        if (!storeEvHost(log, db, insert.get(), host)) {
            return false;
        }
    }
    if (log.traceEnabled()) {
        log.log(LOG_LEVEL_TRACE, "hosts-EV: stored %u entries to DB",
                static_cast<unsigned>(hosts.size()));
    }
    return true;
}

void OvSslDomainFilter::addEvHost(std::string_view host) {
    {
        std::lock_guard<std::mutex> guard(hostsLock);
        evHosts.put(std::string(host), 1);
    }
    notify(onEvHost, host);
}

bool OvSslDomainFilter::isEvHost(std::string_view host) {
    std::lock_guard<std::mutex> guard(hostsLock);
    return evHosts.get(std::string(host)) != nullptr;
}

void OvSslDomainFilter::markBypassed(std::string_view host) {
    {
        std::lock_guard<std::mutex> guard(hostsLock);
        bypassedHosts.put(std::string(host), 1);
    }
    notify(onBypassedHost, host);
}

bool OvSslDomainFilter::isBypassed(std::string_view host) {
    std::lock_guard<std::mutex> guard(hostsLock);
    return bypassedHosts.get(std::string(host)) != nullptr;
}

void OvSslDomainFilter::markCertificateError(std::string_view host) {
    {
        std::lock_guard<std::mutex> guard(hostsLock);
        certificateErrorHosts.put(std::string(host), 1);
    }
    notify(onCertificateError, host);
}

bool OvSslDomainFilter::hasCertificateError(std::string_view host) {
    std::lock_guard<std::mutex> guard(hostsLock);
    return certificateErrorHosts.get(std::string(host)) != nullptr;
}
