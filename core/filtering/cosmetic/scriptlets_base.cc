#include "core/filtering/cosmetic/scriptlets_base.h"

#include <cstddef>

extern const unsigned char ovcore_scriptlets_base[];
extern const size_t ovcore_scriptlets_base_size;

std::string_view scriptlets_base_text() {
    return {reinterpret_cast<const char *>(ovcore_scriptlets_base), ovcore_scriptlets_base_size};
}
