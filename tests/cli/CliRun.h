#pragma once

#include <filesystem>
#include <string>

#include "support/Files.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

// melodux-cli end to end: every command runs through the shell with the
// test process's private settings, data and music folders (TempSettings);
// files a test makes go into a testsupport::TempDir.

struct CliRun {
    int exitCode;
    std::string out;  // stdout, and stderr unless left out or kept apart
    std::string err;  // stderr when kept apart
};

using testsupport::readText;

// A path or argument quoted for the shell.
inline std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}
inline std::string quoted(const std::filesystem::path& path) {
    return quoted(path.string());
}

// `redirect` says where stderr goes; `env` goes in front of the program.
inline CliRun runCli(const std::string& arguments, const std::string& redirect,
                     const std::string& env = "") {
    TempSettings::folder();  // exports the private settings folders
    const std::string command = env + " " + MELODUX_CLI + " " + arguments + " " + redirect;
    testsupport::ShellRun run = testsupport::shell(command);
    return CliRun{run.exitCode, std::move(run.out), {}};
}

// Without errors only standard output is kept.
inline CliRun cli(const std::string& arguments, bool withErrors = true) {
    return runCli(arguments, withErrors ? "2>&1" : "2>/dev/null");
}

// Standard output and standard error apart.
inline CliRun cliApart(const std::string& arguments, const std::string& env = "") {
    const testsupport::TempDir dir;
    const auto errFile = dir / "stderr.txt";
    CliRun run = runCli(arguments, "2>" + quoted(errFile), env);
    run.err = testsupport::readText(errFile);
    return run;
}
