// OvSslDomainFilter: per-host knowledge behind the TLS interception decision.
// Chiefly the hosts known to present Extended Validation (EV) certificates:
// a bounded cache that init loads from the database's `evhosts` table and
// shutdown writes back, so that the knowledge survives restarts. It also
// remembers for a minute the hosts passed through without interception and
// those whose certificate failed verification. The facade owns the filter;
// the filter borrows the database. Lookups may come from any thread; init
// and shutdown must not overlap them or each other.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/commons/logger.h"
#include "core/commons/lru_cache.h"
#include "core/proxy/proxy_filter_config.h"

class OvSslDomainFilter {
  public:
    OvSslDomainFilter();
    ~OvSslDomainFilter();
    OvSslDomainFilter(const OvSslDomainFilter &) = delete;
    OvSslDomainFilter &operator=(const OvSslDomainFilter &) = delete;

    // Takes the database and copies the host callbacks from `config`, creates
    // the `evhosts` table when it is missing and adds the hosts stored there
    // to the EV hosts (without calling onEvHost: nothing new was learned).
    // Returns 0 when ready, also when the config has no database; -1 when the
    // database could not be used. The SQLite error is then logged at ERROR,
    // the filter keeps its knowledge in memory and still offers it to the
    // database at shutdown, which may accept it by then (a lock held by
    // another process, say).
    int init(const OvProxyFilterConfig &config);

    // Replaces the rows of `evhosts` by the EV hosts (when there is a
    // database) and forgets the database, then forgets the EV hosts and the
    // host tables. Database errors are logged, never raised; a failed write
    // leaves the table as far as it got. Bypassed and certificate-error hosts
    // are kept until destruction. A second call finds nothing to do. Throws
    // std::system_error only when a lock cannot be taken.
    void shutdown();

    // Records an EV host as the most recently used and calls onEvHost.
    void addEvHost(std::string_view host);
    // Whether the host is a known EV host; a hit makes it the most recently
    // used, so that hosts in use are the last to be evicted.
    bool isEvHost(std::string_view host);

    // Records for a minute that TLS to the host is passed through; calls
    // onBypassedHost.
    void markBypassed(std::string_view host);
    bool isBypassed(std::string_view host);

    // Records for a minute that the host's certificate failed verification;
    // calls onCertificateError.
    void markCertificateError(std::string_view host);
    bool hasCertificateError(std::string_view host);

  private:
    using HostTable =
        std::unordered_map<std::string, std::optional<std::unordered_set<std::string>>>;
    using HostCache = OvLRUCache<std::string, int>;
    using HostTimeoutCache = OvLRUTimeoutCache<std::string, int>;

    // Writes the EV hosts to the database and forgets it (see shutdown).
    // Returns true when every host was stored or there is no database.
    bool flushEvHosts();
    bool deleteStoredEvHosts();
    bool storeEvHosts();
    bool createEvHostsTable();
    bool loadEvHosts();

    // Members marked "undecided" hold per-host knowledge for interception
    // decisions not made here yet: their shape and lifetime are settled
    // (shutdown forgets the host tables, the host set and the flags; the rest
    // lives until destruction), their use is not.
    LogHandle log;
    std::array<HostTable, 4> hostTables;      // undecided
    std::unordered_set<std::string> hostSet;  // undecided
    OvSqliteDatabase *database = nullptr;     // borrowed from init's config until shutdown
    std::mutex dbLock;                        // serialises the flush
    // Guards the tables and caches: the caches do not lock, and even their
    // lookups reorder entries.
    std::mutex hostsLock;
    HostCache evHosts{300};    // most recently used first; the value carries nothing
    HostCache hostCache{300};  // undecided
    std::map<std::string, std::string> hostTexts;  // undecided
    HostTimeoutCache bypassedHosts{300, 60000, true};
    HostTimeoutCache certificateErrorHosts{1500, 60000, true};
    HostTimeoutCache hostTimeouts{300, 60000, true};                                 // undecided
    OvLRUTimeoutCache<std::string, std::string> hostTextTimeouts{300, 60000, true};  // undecided
    std::optional<int64_t> flaggedValue;                                             // undecided
    bool flag = false;                                                               // undecided
    // Copied from init's config; called with no lock held.
    std::function<void(std::string_view host)> onEvHost;
    std::function<void(std::string_view host)> onBypassedHost;
    std::function<void(std::string_view host)> onCertificateError;
};
