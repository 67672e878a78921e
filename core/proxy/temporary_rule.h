// Temporary ("notblock") rules: a rule put on the URL filter that removes
// itself when its lifetime has passed, through a one-shot timer on an event
// loop. The facade is fetched again from the provider when the timer fires,
// so an expiry never keeps the facade alive.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/proxy/host_interface.h"

class OvEventLoop;

// Adds `rule` (`length` bytes) to the URL filter and schedules its removal
// after `lifetime` seconds on `loop`. `prefix` starts every log message.
// Returns 0 when added and scheduled; -1 for a lifetime of 0 ("Invalid
// timeout") or a rule the URL filter does not take ("Can't add a rule");
// the scheduler's nonzero code when the timer cannot be set ("Internal
// error", the rule is removed again). `error` receives the static message.
int addTemporaryRule(const OvProxyFilterProvider &provider, OvEventLoop &loop, const char *prefix,
                     const char *rule, size_t length, uint64_t lifetime, const char **error);
