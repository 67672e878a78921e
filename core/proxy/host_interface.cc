#include "core/proxy/host_interface.h"

#include <array>

#include "core/proxy/http/ov_http_headers.h"

namespace {

std::array<std::string, 7> g_host_strings;

}  // namespace

void sendParameters(ov_event_callback callback, void *arg, OvHostEvent &event,
                    std::vector<OvEventParam> params, const OvHttpHeaders *headers) {
    // The field value is a view into the head; the host needs a terminated
    // text.
    std::string userAgent;
    if (headers != nullptr) {
        userAgent = headers->getFieldOrEmpty("User-Agent");
        params.push_back({"user_agent", userAgent.c_str()});
    }
    event.params = params.data();
    event.paramCount = params.size();
    callback(arg, &event);
    event.params = nullptr;
    event.paramCount = 0;
}

void ov_host_string_set(OvHostString which, std::string_view value) {
    g_host_strings[static_cast<size_t>(which)] = value;
}

const std::string &ov_host_string(OvHostString which) {
    return g_host_strings[static_cast<size_t>(which)];
}
