#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {
class Engine;
}

// The sub-commands of melodux-cli. Each takes the arguments after its name
// and returns the process exit code.
namespace cli {

using Args = std::vector<std::string>;

int runPlay(const Args& args);
int runErrtext(const Args& args);
int runConfig(const Args& args);
int runCd(const Args& args);
int runCddb(const Args& args);
int runInfo(const Args& args);
int runTag(const Args& args);
int runConvert(const Args& args);
int runLibrary(const Args& args);
int runDecode(const Args& args);
int runFormats(const Args& args);

// Prints "error 0xXXXXXXXX <text>" for a result code, as a notification line.
void printError(uint32_t code);

// The engine the commands work with, assembled on first use; a reader's
// failure notes go to standard error.
const app::Engine& engine();

}  // namespace cli
