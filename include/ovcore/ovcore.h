/*
 * ovcore: the filtering core of a content-filtering HTTP(S) proxy.
 *
 * This is the whole public C interface of libovcore. Every function declared
 * here may be called from any thread; none of them lets a C++ exception out.
 * Strings are NUL-terminated UTF-8. Anything the library hands back to the
 * caller names the function that releases it.
 */
#ifndef OVCORE_OVCORE_H
#define OVCORE_OVCORE_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define OVCORE_API __attribute__((visibility("default")))
#else
#define OVCORE_API
#endif

/* ---------------------------------------------------------------------------
 * Logging
 *
 * Every component of the core logs through a named logger. A message is
 * emitted when its level is at most the logger's level; loggers that have no
 * level of their own follow the process-wide default level, and loggers that
 * have no sink of their own forward to the process-wide default callback.
 * Out of the box that callback writes lines to standard error:
 *
 *   10.12.2026 14:03:07.123456 [tid=4242] OvProxyFilter DEBUG message
 */

/* Levels: smaller is more severe. */
#define LOG_LEVEL_ERROR 0
#define LOG_LEVEL_WARN 1
#define LOG_LEVEL_INFO 2
#define LOG_LEVEL_DEBUG 3
#define LOG_LEVEL_TRACE 4

/*
 * A log sink. `arg` is the argument registered with the callback, `name` the
 * logger's name, `level` one of the LOG_LEVEL_* values and `message` the
 * formatted message (at most 4095 characters, no trailing newline). The
 * strings are valid only during the call.
 */
typedef void (*logger_callback)(void *arg, const char *name, int level, const char *message);

/*
 * Sets the process-wide default level (0..4); -1 restores the initial default,
 * LOG_LEVEL_DEBUG.
 */
OVCORE_API void logger_set_default_log_level(int level);

/*
 * Sets the process-wide default sink and its argument. NULL silences every
 * logger that follows the default. Replace the sink only while no other
 * thread logs (in practice at start-up): the callback and its argument are two
 * separate words.
 */
OVCORE_API void logger_set_default_callback(logger_callback callback, void *arg);

#ifdef __cplusplus
}
#endif

#endif /* OVCORE_OVCORE_H */
