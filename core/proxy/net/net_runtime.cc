#include "core/proxy/net/net_runtime.h"

#include <event2/event.h>
#include <event2/thread.h>

#include <mutex>

#include "core/commons/logger.h"

namespace {

logger_s *libevent_logger() {
    static LogHandle log("LIBEVENT", -1);
    return log.get();
}

// Releases libevent's global locks at exit, so that leak checkers see a
// clean process.
struct NetRuntime {
    NetRuntime() { ov_net_runtime_init(); }
    ~NetRuntime() { libevent_global_shutdown(); }
};

const NetRuntime g_net_runtime;

}  // namespace

void ov_libevent_log(int severity, const char *message) {
    logger_s *log = libevent_logger();
    switch (severity) {
        case EVENT_LOG_DEBUG:
            if (logger_debug_enabled(log)) {
                logger_log(log, LOG_LEVEL_DEBUG, "%s", message);
            }
            break;
        case EVENT_LOG_MSG:
            logger_log(log, LOG_LEVEL_INFO, "%s", message);
            break;
        case EVENT_LOG_WARN:
            logger_log(log, LOG_LEVEL_WARN, "%s", message);
            break;
        case EVENT_LOG_ERR:
            logger_log(log, LOG_LEVEL_ERROR, "%s", message);
            break;
        default:
            logger_log(log, LOG_LEVEL_DEBUG, "???: %s", message);
            break;
    }
}

void ov_net_runtime_init() {
    static std::once_flag once;
    std::call_once(once, [] {
        libevent_logger();
        evthread_use_pthreads();
        event_set_log_callback(ov_libevent_log);
    });
}
