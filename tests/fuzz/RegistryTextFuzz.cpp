// libFuzzer target for the settings (hive) files: any input is read without
// a crash, whatever is accepted is written back and read again unchanged,
// and reading the bytes as a file gives what parsing them gives.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzRequire.h"
#include "MemoryFile.h"
#include "platform/HiveFile.h"
#include "platform/RegistryText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace platform;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryHive hive;
    RegistryParseError error;
    const bool parsed = parseRegistryText(text, hive, error);
    if (const fuzz::MemoryFile file(data, size); file.ok()) {
        const HiveFileState state = readHiveFile(file.path());
        require(state.problem.empty() == parsed && state.hive == hive);
    }
    if (!parsed) {
        require(error.line != 0 && hive.empty());
        return 0;
    }
    const std::string rendered = renderRegistryText(hive);
    RegistryHive again;
    require(parseRegistryText(rendered, again, error) && again == hive &&
            renderRegistryText(again) == rendered);
    return 0;
}
