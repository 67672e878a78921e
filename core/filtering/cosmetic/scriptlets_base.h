// The built-in scriptlets base: a JSON text {"version": ..., "scriptlets":
// [{"names": [canonical name, aliases...], "scriptlet": "function ..."}]}
// assembled at build time from assets/scriptlets/ (one function per file,
// names and order from its manifest). Script rules call scriptlets by any of
// their names.
#pragma once

#include <string_view>

// The base text; lives as long as the program.
std::string_view scriptlets_base_text();
