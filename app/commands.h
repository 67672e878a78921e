// The subcommands of the ovcore program. Each runs with the arguments after
// its name and returns the process exit code.
#pragma once

#include <cstdio>

struct ovcore_command {
    const char *name;
    const char *synopsis;  // arguments, shown by --help
    const char *summary;   // one line, shown by --help
    int (*run)(int argc, char **argv);
};

// Runs the self-test; prints "OK" and returns 0 when it passes.
int ovcore_selftest();

// Reports the network rules of filter lists that the engine rejects.
int ovcore_lint(int argc, char **argv);

// Answers requests (JSON lines on standard input) with the engine's decision.
int ovcore_check(int argc, char **argv);

// Prints the CSS and script the content script of one page receives.
int ovcore_cosmetic(int argc, char **argv);

// Prints a built-in page template rendered with NAME=VALUE pairs.
int ovcore_page(int argc, char **argv);

// Measures load time, memory and match time of the engine on real lists.
int ovcore_bench(int argc, char **argv);

const ovcore_command *ovcore_find_command(const char *name);
void ovcore_print_usage(FILE *out);
