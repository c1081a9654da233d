#include <cstdio>
#include <cstdlib>

#include "cli/Commands.h"
#include "stream/ErrorText.h"

namespace cli {

void printError(uint32_t code) {
    std::printf("error 0x%08X %s\n", code, GetErrorText(code).c_str());
}

int runErrtext(const Args& args) {
    if (args.size() != 1) {
        std::fputs("usage: melodux-cli errtext CODE (hexadecimal)\n", stderr);
        return 2;
    }
    char* end = nullptr;
    const unsigned long code = std::strtoul(args[0].c_str(), &end, 16);
    if (args[0].empty() || *end != '\0' || code > 0xFFFFFFFFul) {
        std::fprintf(stderr, "melodux-cli: '%s' is not a hexadecimal code\n", args[0].c_str());
        return 2;
    }
    std::printf("%s\n", GetErrorText(static_cast<uint32_t>(code)).c_str());
    return 0;
}

}  // namespace cli
