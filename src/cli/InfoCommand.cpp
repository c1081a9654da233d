#include <cstdio>

#include "app/Engine.h"
#include "cli/Commands.h"
#include "cli/InfoFields.h"
#include "cli/TerminalText.h"
#include "stream/CNxSSManager.h"

namespace cli {

int runInfo(const Args& args) {
    if (args.empty() || args.front().rfind("--", 0) == 0) {
        std::fputs("usage: melodux-cli info NAME...\n", stderr);
        return 2;
    }
    auto manager = engine().makeManager();
    bool allShown = true;
    for (size_t i = 0; i < args.size(); ++i) {
        if (i > 0) {
            std::printf("\n");
        }
        std::printf("name: %s\n", terminalText(args[i]).c_str());
        const NxRef<CNxSSInfo> info = openInfo(*manager, args[i]);
        if (!info) {
            allShown = false;
            continue;
        }
        printKind(*info);
        printTagFields(*info);
        printFacts(*info);
        std::printf("\n");
        printInformationText(*info);
    }
    return allShown ? 0 : 1;
}

}  // namespace cli
