#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Runs a program found on PATH with `argv` (argv[0] its name), its input
// from /dev/null, and waits for it. Its standard output when it exits
// with 0; nothing when it cannot be started or fails.
std::optional<std::string> runProgram(const std::vector<std::string>& argv);

}  // namespace platform
