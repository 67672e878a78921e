#include "core/commons/logger.h"

#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "core/commons/platform/thread_id.h"

const char LOGGER_DEFAULT_NAME[] = "quillon_c_logger";

namespace {

// Word-sized process-wide settings. Loggers read them on every message from
// any thread; relaxed ordering is enough because nothing else is published
// through them.
std::atomic<int> g_default_level{LOG_LEVEL_DEBUG};
std::atomic<logger_callback> g_default_callback{logger_stderr_writer};
std::atomic<void *> g_default_arg{nullptr};

const char *level_name(int level) {
    switch (level) {
        case LOG_LEVEL_ERROR:
            return "ERROR";
        case LOG_LEVEL_WARN:
            return "WARN";
        case LOG_LEVEL_DEBUG:
            return "DEBUG";
        case LOG_LEVEL_TRACE:
            return "TRACE";
        default:
            return "INFO";
    }
}

int effective_level(const logger_s *logger) {
    return logger->level == -1 ? g_default_level.load(std::memory_order_relaxed) : logger->level;
}

}  // namespace

void logger_write_line(FILE *stream, const char *name, int level, const char *message) {
    timeval now{};
    gettimeofday(&now, nullptr);
    time_t seconds = now.tv_sec;
    tm local{};
    localtime_r(&seconds, &local);
    char date[32];
    strftime(date, sizeof(date), "%d.%m.%Y %H:%M:%S", &local);
    // One formatted write per line: the C library serialises it against other
    // threads writing to the same stream.
    fprintf(stream, "%s.%06d [tid=%lld] %s %s %s\n", date, static_cast<int>(now.tv_usec % 1000000),
            static_cast<long long>(platform_thread_id()), name ? name : LOGGER_DEFAULT_NAME,
            level_name(level), message);
}

void logger_default_forwarder(void *, const char *name, int level, const char *message) {
    logger_callback callback = g_default_callback.load(std::memory_order_relaxed);
    if (callback == nullptr) {
        return;
    }
    callback(g_default_arg.load(std::memory_order_relaxed), name, level, message);
}

void logger_stderr_writer(void *, const char *name, int level, const char *message) {
    logger_write_line(stderr, name, level, message);
}

void logger_file_writer(void *arg, const char *name, int level, const char *message) {
    logger_write_line(static_cast<FILE *>(arg), name, level, message);
}

logger_s *logger_open(const char *name, int level) {
    return logger_open_with_callback(name, level, logger_default_forwarder, nullptr);
}

logger_s *logger_open_with_callback(const char *name, int level, logger_callback callback,
                                    void *arg) {
    auto *logger = static_cast<logger_s *>(calloc(1, sizeof(logger_s)));
    if (logger == nullptr) {
        return nullptr;
    }
    if (name != nullptr) {
        logger->name = strdup(name);
        if (logger->name == nullptr) {
            free(logger);
            return nullptr;
        }
    }
    logger->level = level;
    logger->callback = callback ? callback : logger_default_forwarder;
    logger->arg = arg;
    setvbuf(stderr, nullptr, _IONBF, 0);
    return logger;
}

int logger_close(logger_s *logger) {
    if (logger == nullptr) {
        return 0;
    }
    int result = 0;
    if (logger->callback == logger_file_writer && logger->arg != nullptr) {
        FILE *stream = static_cast<FILE *>(logger->arg);
        fflush(stream);
        if (fileno(stream) >= 3 && fclose(stream) != 0) {
            fprintf(stderr, "Error closing logfile: %s", strerror(errno));
            result = 1;
        }
    }
    free(logger->name);
    free(logger);
    return result;
}

void logger_vlog(const logger_s *logger, int level, const char *format, va_list args) {
    if (logger == nullptr || logger->callback == nullptr || level > effective_level(logger)) {
        return;
    }
    char message[LOGGER_MESSAGE_MAX + 1];
    vsnprintf(message, sizeof(message), format, args);
    logger->callback(logger->arg, logger->name, level, message);
}

void logger_log(const logger_s *logger, int level, const char *format, ...) {
    va_list args;
    va_start(args, format);
    logger_vlog(logger, level, format, args);
    va_end(args);
}

bool logger_debug_enabled(const logger_s *logger) {
    return logger != nullptr && effective_level(logger) > LOG_LEVEL_INFO;
}

bool logger_trace_enabled(const logger_s *logger) {
    return logger != nullptr && effective_level(logger) > LOG_LEVEL_DEBUG;
}

int logger_get_default_log_level() {
    return g_default_level.load(std::memory_order_relaxed);
}

void logger_set_default_log_level(int level) {
    g_default_level.store(level == -1 ? LOG_LEVEL_DEBUG : level, std::memory_order_relaxed);
}

void logger_set_default_callback(logger_callback callback, void *arg) {
    // The forwarder as the default would forward to itself forever.
    if (callback == logger_default_forwarder) {
        callback = logger_stderr_writer;
    }
    g_default_callback.store(callback, std::memory_order_relaxed);
    g_default_arg.store(arg, std::memory_order_relaxed);
}

LogHandle::LogHandle(std::string_view name, int level) {
    std::string copy(name);
    logger_ = logger_open(name.empty() ? nullptr : copy.c_str(), level);
    if (logger_ == nullptr) {
        throw std::bad_alloc();
    }
}

LogHandle::~LogHandle() {
    logger_close(logger_);
}

void LogHandle::log(int level, const char *format, ...) const {
    va_list args;
    va_start(args, format);
    logger_vlog(logger_, level, format, args);
    va_end(args);
}

namespace {

// Opened during static initialisation and closed at exit, so that invariant
// checks can report from anywhere, including other static initialisers.
struct AssertLogger {
    logger_s *logger = logger_open("assert", -1);
    ~AssertLogger() { logger_close(logger); }
};

AssertLogger &assert_logger_instance() {
    static AssertLogger instance;
    return instance;
}

[[maybe_unused]] const logger_s *g_assert_opened_early = assert_logger_instance().logger;

}  // namespace

logger_s *logger_assert() {
    return assert_logger_instance().logger;
}

void logger_assert_failed(const char *file, int line, const char *condition) {
    logger_log(logger_assert(), LOG_LEVEL_ERROR, "%s:%d assertion (%s) failed!", file, line,
               condition);
    abort();
}
