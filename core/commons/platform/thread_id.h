// The operating system's id of the calling thread, as log lines print it.
#pragma once

#include <cstdint>

int64_t platform_thread_id();
