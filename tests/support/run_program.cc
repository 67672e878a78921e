#include "tests/support/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

std::string slurp(int fd) {
    std::string text;
    lseek(fd, 0, SEEK_SET);
    char chunk[4096];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof(chunk))) > 0) {
        text.append(chunk, static_cast<size_t>(n));
    }
    close(fd);
    return text;
}

int temp_fd() {
    FILE *file = tmpfile();
    int fd = dup(fileno(file));
    fclose(file);
    return fd;
}

}  // namespace

ProgramResult run_ovcore(const std::vector<std::string> &args, const std::string &input) {
    int in_fd = temp_fd();
    if (write(in_fd, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
        return {-1, "", "cannot write the input"};
    }
    lseek(in_fd, 0, SEEK_SET);
    int out_fd = temp_fd();
    int err_fd = temp_fd();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in_fd, STDIN_FILENO);
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        std::vector<char *> argv{const_cast<char *>(OVCORE_PROGRAM)};
        for (const std::string &arg : args) {
            argv.push_back(const_cast<char *>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(OVCORE_PROGRAM, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(in_fd);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out_fd), slurp(err_fd)};
}
