#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/TempSettings.h"

struct CliRun {
    int exitCode;
    std::string out;  // stdout, and stderr unless left out
};

// Runs melodux-cli through the shell with the test's private settings;
// without errors only standard output is kept.
inline CliRun cli(const std::string& arguments, bool withErrors = true) {
    TempSettings::folder();  // exports the private settings folders
    const std::string command =
        std::string(MELODUX_CLI) + " " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = ::popen(command.c_str(), "r");
    CliRun run{-1, {}};
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
