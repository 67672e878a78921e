// File-system operations the core needs, on POSIX paths (UTF-8 bytes).
#pragma once

// Creates one directory. Returns 0 on success, nonzero on failure; a path that
// already exists counts as a failure.
int create_directory(const char *path);

// Deletes a file. Returns 0 on success (or when the file does not exist),
// nonzero on failure.
int delete_file(const char *path);
