#include "core/commons/platform/thread_id.h"

#include <sys/syscall.h>
#include <unistd.h>

int64_t platform_thread_id() {
    // gettid() is the kernel's id, the one tools such as top and gdb show.
    return static_cast<int64_t>(syscall(SYS_gettid));
}
