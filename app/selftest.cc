// The self-test: recorded handshakes through the TLS scanner, a few rule
// operations on the URL filter of the process-wide facade, the server side
// of a handshake prepared for the bypass filter, the facade's shutdown. No
// step checks its results (the unit tests do); the run passes when it gets
// to its end.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "app/commands.h"
#include "app/selftest_block.h"
#include "core/proxy/filter_url.h"
#include "core/proxy/proxy_filter_factory.h"
#include "core/proxy/tls/ssl_bypass_filter.h"
#include "core/proxy/tls/tls_scan.h"

extern const unsigned char ovcore_selftest_handshakes[];
extern const size_t ovcore_selftest_handshakes_size;

namespace {

void scan_recorded_handshakes() {
    for (const selftest_input &input : SELFTEST_INPUTS) {
        int results[16];
        selftest_scan(ovcore_selftest_handshakes, input, results, 16);
    }
}

void add(OvFilter *filter, const std::string &rule) {
    filter->addRule(rule.data(), rule.size(), 0);
}

void run_rule_steps(OvFilter *url) {
    add(url, "||localhost^");
    url->clearRule("||localhost^");
    url->clearRule("https://*$media");
    url->clearRule("https://*$media");
    url->clearRule("||localhost^");
    url->clearRule("||localhost$redirect=nooptext");
    url->clearRule("||localhost^");
    url->clearRule("@@||localhost^");
    add(url, "@@||localhost$app=myapp");
    add(url, std::string("||") + SELFTEST_HOST + "^");
}

}  // namespace

int ovcore_selftest() {
    scan_recorded_handshakes();
    std::shared_ptr<OvProxyFilter> facade = ov_process_proxy_filter();
    OvFilter *url = facade->getFilter(typeid(OvFilterUrl));
    OvSslBypassFilter &bypass = facade->getSslBypassFilter();
    run_rule_steps(url);
    std::vector<uint8_t> server_side(
        ovcore_selftest_handshakes + SELFTEST_SERVER_OFFSET,
        ovcore_selftest_handshakes + SELFTEST_SERVER_OFFSET + SELFTEST_SERVER_LENGTH);
    bypass.resetHandler();
    facade->shutdown();
    printf("OK\n");
    return 0;
}
