// Process-wide start-up of the network runtime: libevent is put into its
// thread-safe mode (pthreads locking) and its diagnostics go to the
// "LIBEVENT" logger. Runs once before main; ov_net_runtime_init() lets code
// that runs earlier (other static initialisers) make sure of it.
#pragma once

// Idempotent and thread-safe.
void ov_net_runtime_init();

// The libevent log callback: maps a libevent severity onto a logger level
// (debug only when enabled, unknown severities as debug with a "???: " mark).
void ov_libevent_log(int severity, const char *message);
