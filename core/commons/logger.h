// Named loggers: a message is printf-formatted, filtered by level and handed
// to the logger's sink. Loggers opened without a sink forward to the
// process-wide default sink (standard error unless the host replaced it).
// A logger record is owned by whoever opened it and released with
// logger_close(); LogHandle does that for classes.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#include "ovcore/ovcore.h"

#define OV_PRINTF(fmt_index, args_index) __attribute__((format(printf, fmt_index, args_index)))

struct logger_s {
    char *name;                // owned copy, or null: printed as the default name
    int level;                 // 0..4, or -1 to follow the process default
    logger_callback callback;  // never null while open
    void *arg;                 // first argument of every callback call
};

// Longest message handed to a sink; longer ones are cut.
constexpr size_t LOGGER_MESSAGE_MAX = 4095;

// Name printed for loggers that have none.
extern const char LOGGER_DEFAULT_NAME[];

// Built-in sinks. The forwarder passes the message on to the process default
// sink; the standard-error writer prints one line to stderr; the file writer
// prints the same line to the FILE* given as its argument (and a logger using
// it owns that stream).
void logger_default_forwarder(void *arg, const char *name, int level, const char *message);
void logger_stderr_writer(void *arg, const char *name, int level, const char *message);
void logger_file_writer(void *arg, const char *name, int level, const char *message);

// Opens a logger forwarding to the process default sink. `name` may be null.
// Returns null only when memory runs out.
logger_s *logger_open(const char *name, int level);

// Opens a logger with its own sink (null means the default forwarder).
logger_s *logger_open_with_callback(const char *name, int level, logger_callback callback,
                                    void *arg);

// Closes a logger (null is accepted). A file-writer logger flushes its stream
// and closes it unless it is one of the three standard streams. Returns 0, or
// 1 when closing the stream failed.
int logger_close(logger_s *logger);

void logger_vlog(const logger_s *logger, int level, const char *format, va_list args)
    OV_PRINTF(3, 0);
void logger_log(const logger_s *logger, int level, const char *format, ...) OV_PRINTF(3, 4);

// Level tests for callers that build costly messages.
bool logger_debug_enabled(const logger_s *logger);
bool logger_trace_enabled(const logger_s *logger);

int logger_get_default_log_level();

// Writes one log line ("date.micros [tid=N] name LEVEL message\n") to `stream`.
void logger_write_line(FILE *stream, const char *name, int level, const char *message);

// The owner object classes log through. An empty name opens a logger without
// a name.
class LogHandle {
  public:
    LogHandle(std::string_view name, int level);
    ~LogHandle();
    LogHandle(const LogHandle &) = delete;
    LogHandle &operator=(const LogHandle &) = delete;

    void log(int level, const char *format, ...) const OV_PRINTF(3, 4);
    bool debugEnabled() const { return logger_debug_enabled(logger_); }
    bool traceEnabled() const { return logger_trace_enabled(logger_); }
    logger_s *get() const { return logger_; }

  private:
    logger_s *logger_;
};

// The process-wide "assert" logger that invariant checks report through.
logger_s *logger_assert();

[[noreturn]] void logger_assert_failed(const char *file, int line, const char *condition);

// Checks an internal invariant; a failure is logged at ERROR and aborts.
#define OV_ASSERT(cond)                                      \
    do {                                                     \
        if (!(cond))                                         \
            logger_assert_failed(__FILE__, __LINE__, #cond); \
    } while (0)
