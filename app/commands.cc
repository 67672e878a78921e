#include "app/commands.h"

#include <cstring>
#include <iterator>

namespace {

int run_selftest_command(int argc, char **) {
    if (argc != 0) {
        fprintf(stderr, "usage: ovcore selftest\n");
        return 2;
    }
    return ovcore_selftest();
}

const ovcore_command kCommands[] = {
    {"selftest", "", "run the self-test of the core and print OK (the default)",
     run_selftest_command},
    {"lint", "FILE...", "report the network rules of filter lists that are rejected, and why",
     ovcore_lint},
    {"check", "--rules FILE... [--rule TEXT]...",
     "match requests read as JSON lines from standard input", ovcore_check},
    {"cosmetic", "--rules FILE... --domain D [--path P] [--app A]",
     "print the CSS and script the content script of a page on D receives", ovcore_cosmetic},
    {"page", "INDEX [--string|--raw NAME=VALUE]...",
     "print a built-in page template rendered with the given pairs", ovcore_page},
    {"bench", "--rules FILE... --requests FILE.jsonl [--rounds N]",
     "measure load time, memory and match time of the engine", ovcore_bench},
};

}  // namespace

const ovcore_command *ovcore_find_command(const char *name) {
    for (const ovcore_command &command : kCommands) {
        if (strcmp(command.name, name) == 0) {
            return &command;
        }
    }
    return nullptr;
}

void ovcore_print_usage(FILE *out) {
    fprintf(out, "usage: ovcore [COMMAND [ARGS...]]\n\n");
    fprintf(out, "With no command, runs the self-test and prints OK.\n\ncommands:\n");
    for (const ovcore_command &command : kCommands) {
        char head[64];
        snprintf(head, sizeof(head), "%s %s", command.name, command.synopsis);
        fprintf(out, "  %-28s %s\n", head, command.summary);
    }
    fprintf(out, "  %-28s %s\n", "--help", "show this help");
}
