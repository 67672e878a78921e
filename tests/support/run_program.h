// Runs the ovcore program as a user would and collects what it printed.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
    int exit_code;
    std::string out;
    std::string err;
};

// Runs the program with `input` on its standard input.
ProgramResult run_ovcore(const std::vector<std::string> &args, const std::string &input = "");
