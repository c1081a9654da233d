#include <cstdio>

#include "app/Engine.h"
#include "cli/Commands.h"

namespace cli {

namespace {

// What a failing file lacks beyond its code (a missing codec's name).
void printOpenFailure(const std::string& name, const std::string& text) {
    std::fprintf(stderr, "melodux-cli: %s: %s\n", name.c_str(), text.c_str());
}

}  // namespace

const app::Engine& engine() {
    static const app::Engine instance(printOpenFailure);
    return instance;
}

}  // namespace cli
