// The exported rule interface (declared in ovcore.h): user rules on the
// facade, site-wide switches as "site rules" on the URL filter, and the
// verdict for a URL's directory. Also the pieces the browser API commands
// share with it: the change time, the content-injecting rule test and the
// "OvBrowserApi" logger everything here reports through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/commons/logger.h"

// Wall-clock milliseconds since 1970 of the last successful rule change made
// through the exported functions (or the GM storage); 0 before any.
int64_t ov_rule_change_time();
// Stores the current time as the change time.
void ov_rule_change_time_touch();

// True for rules that would put content into pages (scripts, styles, HTML
// filtering), which hosts may not add through the exported interface.
bool ov_rule_injects_content(std::string_view rule);

// "@@||<domain>^$important,document": adding it switches filtering off for
// the site.
std::string ov_site_rule(std::string_view domain);

// The process-wide "OvBrowserApi" logger.
logger_s *ov_browser_api_log();
