// The ovcore program: with no arguments it runs the self-test of the core and
// prints "OK"; subcommands are tools for list authors and benchmarks.
#include <cstdio>
#include <cstring>

#include "app/commands.h"

int main(int argc, char **argv) {
    if (argc < 2) {
        return ovcore_selftest();
    }
    const char *name = argv[1];
    if (strcmp(name, "--help") == 0 || strcmp(name, "-h") == 0 || strcmp(name, "help") == 0) {
        ovcore_print_usage(stdout);
        return 0;
    }
    const ovcore_command *command = ovcore_find_command(name);
    if (command == nullptr) {
        fprintf(stderr, "ovcore: unknown command '%s'\n\n", name);
        ovcore_print_usage(stderr);
        return 2;
    }
    return command->run(argc - 2, argv + 2);
}
