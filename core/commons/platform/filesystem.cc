#include "core/commons/platform/filesystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int create_directory(const char *path) {
    if (path == nullptr || *path == '\0') {
        return -1;
    }
    return mkdir(path, 0755) == 0 ? 0 : errno;
}

int delete_file(const char *path) {
    if (path == nullptr || *path == '\0') {
        return -1;
    }
    return unlink(path) == 0 || errno == ENOENT ? 0 : errno;
}
