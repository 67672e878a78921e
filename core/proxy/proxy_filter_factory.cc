#include "core/proxy/proxy_filter_factory.h"

#include "core/commons/sqlite_database.h"
#include "core/proxy/filter_content.h"
#include "core/proxy/filter_url.h"
#include "core/proxy/proxy_filter_config.h"
#include "core/proxy/tls/ssl_domain_filter.h"

namespace {

// The database lives in the registry's objects, which outlive the filters
// and the SSL domain filter's final flush.
OvSqliteDatabase *open_database(OvProxyFilter &facade, const std::string &directory) {
    if (directory.empty()) {
        return nullptr;
    }
    LogHandle log("OvProxyFilter", -1);
    auto database = OvSqliteDatabase::open(directory + "/" + OV_PROXY_DATABASE_NAME, log.get());
    return database ? facade.getRegistry().keep(std::move(database)) : nullptr;
}

std::shared_ptr<OvProxyFilter> g_process_filter = ov_make_proxy_filter({});

}  // namespace

std::shared_ptr<OvProxyFilter> ov_make_proxy_filter(const OvProxyFilterSetup &setup) {
    auto facade = std::make_shared<OvProxyFilter>();
    facade->getRegistry().add(std::make_unique<OvFilterContent>());
    facade->getRegistry().add(std::make_unique<OvFilterUrl>());
    OvProxyFilterConfig config;
    config.database = open_database(*facade, setup.dataDirectory);
    for (auto &[type, filter] : facade->getRegistry().all()) {
        filter->init(config);
    }
    facade->getSslDomainFilter().init(config);
    return facade;
}

std::shared_ptr<OvProxyFilter> ov_process_proxy_filter() {
    return g_process_filter;
}
