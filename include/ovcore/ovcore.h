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

#include <stdbool.h>

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

/* ---------------------------------------------------------------------------
 * Rules
 *
 * The rule functions work on a facade handle: a pointer to a shared
 * reference of the process-wide filtering core (the pointer's first word is
 * the core's address). They neither take nor drop the reference. Rule texts
 * returned through `rule_out` are allocated with malloc(); the caller
 * releases them with free(). Outputs not set by a call are set to NULL.
 */

/*
 * A shared handle of the process-wide facade, with the URL and content
 * filters registered; NULL when memory runs out. Release it with
 * ovcore_proxy_filter_release().
 */
OVCORE_API void *ovcore_proxy_filter_new(void);
OVCORE_API void ovcore_proxy_filter_release(void *handle);

/*
 * Adds a user rule, converting it from other ad blockers' syntax when no
 * filter takes it as written. Returns 0 added, 1 no filter accepted it,
 * 3 a filter failed (also: no facade, a NULL rule, an internal error),
 * 4 refused: the rule would inject content into pages (scripts, styles,
 * HTML filtering).
 */
OVCORE_API int OvCApiPFAddRule(void *handle, const char *rule);

/*
 * Removes a user rule (and its conversions). Returns 0 removed or not known
 * to any filter, 3 a filter failed (also: no facade, a NULL rule, an
 * internal error).
 */
OVCORE_API int OvCApiPFClearRule(void *handle, const char *rule);

/*
 * Whether filtering applies to the page at `url`, asked for the URL's
 * directory ("scheme://host[:port]/dir/") as a document request of the
 * application `app_name` (may be NULL). Returns
 *   0 filtering applies;
 *   1 filtering applies, and a $badfilter rule disables the site's switch
 *     (that rule in `rule_out`);
 *   2 filtering is off for the site through OvCApiPFChangeFilteringState()
 *     (the site rule in `rule_out`);
 *   3 filtering is off through another important document exception (that
 *     rule in `rule_out`);
 *   4 the URL is NULL, empty or has no directory (also: no facade, an
 *     internal error).
 * `rule_out` may be NULL.
 */
OVCORE_API int OvCApiPFIsFiltered(void *handle, const char *url, const char *app_name,
                                  char **rule_out);

/*
 * Switches filtering for a whole site on (`enable` true) or off, through the
 * site rule "@@||<domain>^$important,document" on the URL filter. Returns 0
 * on success (the site rule in `rule_out`), -1 on failure with a static
 * message in `error_out`: "Invalid domain" (NULL or empty), "Can't add a
 * rule", "Can't remove a rule" (also for internal errors). Both outputs may
 * be NULL.
 */
OVCORE_API int OvCApiPFChangeFilteringState(void *handle, const char *domain, bool enable,
                                            const char **error_out, char **rule_out);

#ifdef __cplusplus
}
#endif

#endif /* OVCORE_OVCORE_H */
