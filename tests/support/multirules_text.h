// A match result as one comparable line: the non-empty lists in order, each
// item as its rule text, e.g. "basic=[@@||example.com^ ||example.com^] page=[...]".
#pragma once

#include <string>

#include "core/filtering/urlfilter/urlfilter_results.h"

std::string multirules_text(const urlfilter_multirules_t &result);
