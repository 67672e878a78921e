// Reading requests for the check and bench tools: one JSON object per line,
//   {"url": ..., "referrer": ... or "", "type": "script", "app": ..., "third_party": true}
// with "type" one of the content-type option names of network rules.
#pragma once

#include <string>

#include "core/filtering/urlfilter/urlfilter.h"

struct tool_request_t {
    std::string url;
    std::string referrer;
    std::string app;
    bool has_app = false;
    uint32_t type = 0;
    uint8_t flags = 0;
    urlfilter_request_t request{};  // points into the strings above
};

// Parses one line. Returns true, or false with `*error` saying why.
bool read_tool_request(const std::string &line, tool_request_t *out, std::string *error);

// Loads every line of a rule file into the engine (non-network lines are
// skipped). Returns the number of lines read, or -1 when the file cannot be read.
long load_rule_file(urlfilter_s *engine, const char *path);
