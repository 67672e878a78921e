// OvProxyFilterConfig: what the facade hands every filter's init. Filters
// copy what they keep; the record itself may go away after init returns.
// Every member may be left empty.
#pragma once

#include <functional>
#include <string_view>

class OvSqliteDatabase;

struct OvProxyFilterConfig {
    // Where filters keep state that must survive a restart. Borrowed: it has
    // to outlive the filters' shutdown. Null keeps such state in memory only.
    OvSqliteDatabase *database = nullptr;
    // Host notifications for the host application. They run on the thread
    // that learned the fact, with no filter lock held; the view lasts only
    // for the call.
    //
    // The host was found to present an Extended Validation certificate.
    std::function<void(std::string_view host)> onEvHost;
    // TLS to the host is passed through without interception.
    std::function<void(std::string_view host)> onBypassedHost;
    // The host's certificate failed verification.
    std::function<void(std::string_view host)> onCertificateError;
};
