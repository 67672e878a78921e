// What the core relies on from the host application that embeds it: the
// facade provider, the event callback with its record, and the process-wide
// configured strings. The host keeps a shared handle of the process-wide
// facade (ovcore.h) and supplies the rest; the browser API request context
// and the safebrowsing POST callback live with the components that use them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class OvHttpHeaders;
class OvProxyFilter;

// Yields a shared reference to the facade (possibly null once it is gone);
// `arg` is the provider's own. Callers drop the reference when done.
struct OvProxyFilterProvider {
    std::shared_ptr<OvProxyFilter> (*get)(void *arg);
    void *arg;
};

// One parameter reported to the host.
struct OvEventParam {
    const char *name;
    const char *value;
};

// What the host's event callback receives. The reporting command sets
// `name`; the pairs and their texts are valid only during the callback.
struct OvHostEvent {
    uintptr_t leading = 0;
    const char *name = nullptr;  // "sfbr-script", "gm-xml-http-request", ...
    const OvEventParam *params = nullptr;
    size_t paramCount = 0;
    uintptr_t reserved[4] = {};  // words the reporting commands leave zero
};

// Called synchronously; the core goes on after it returns.
using ov_event_callback = void (*)(void *arg, const OvHostEvent *event);

// Hands `params` (in the given order) to the host, followed by ("user_agent",
// the User-Agent field or empty) when `headers` is given. Returns after the
// callback has returned.
void sendParameters(ov_event_callback callback, void *arg, OvHostEvent &event,
                    std::vector<OvEventParam> params, const OvHttpHeaders *headers);

// The same for any map of strings to strings, in its iteration order.
template <typename Map>
void sendParameters(ov_event_callback callback, void *arg, OvHostEvent &event, const Map &params,
                    const OvHttpHeaders *headers) {
    std::vector<OvEventParam> pairs;
    pairs.reserve(params.size() + 1);  // room for the user agent
    for (const auto &[name, value] : params) {
        pairs.push_back({name.c_str(), value.c_str()});
    }
    sendParameters(callback, arg, event, std::move(pairs), headers);
}

// The strings the host configures before pages are served; all empty at
// start. The core reads them without locking.
enum class OvHostString {
    Nonce,
    LinkToken,  // "ltt"
    LeftToken,
    RightToken,
    Locale,
    AppVersion,
    ScriptHandlerName,
};

void ov_host_string_set(OvHostString which, std::string_view value);
const std::string &ov_host_string(OvHostString which);
