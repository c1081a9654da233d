#include <cstdio>
#include <cstring>

#include "cli/Commands.h"

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli <command> [arguments]\n"
    "\n"
    "  play [--device null|file:PATH|alsa[:N]] [--volume 0..10000] [--seek MS] NAME...\n"
    "  errtext CODE\n"
    "  config list [KEY]\n"
    "  config get KEY NAME\n"
    "  config set KEY NAME VALUE [--dword|--string|--binary-hex]\n"
    "  config delete KEY NAME\n"
    "  library [--db DIR] COMMAND...   (melodux-cli library --help)\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    const cli::Args args(argv + 2, argv + argc);
    if (command == "play")
        return cli::runPlay(args);
    if (command == "errtext")
        return cli::runErrtext(args);
    if (command == "config")
        return cli::runConfig(args);
    if (command == "library")
        return cli::runLibrary(args);
    std::fprintf(stderr, "melodux-cli: unknown command '%s'\n%s", command.c_str(), kUsage);
    return 2;
}
