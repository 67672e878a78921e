// A test-only breakdown of a parsed network rule as one comparable line, so
// that tests compare the whole parsed state at once:
//   "flags=WHITELIST|DOCUMENT pattern=||example.org^ shortcut=example.org"
// followed, when present, by " party=..", " types=+IMAGE-SCRIPT",
// " domains=a.com|~b.com", " denyallow=..", " apps=..", " badfilter=..".
#pragma once

#include <string>

#include "core/filtering/urlfilter/rule.h"

std::string rule_breakdown(const cached_rule_t &rule);
