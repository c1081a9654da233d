// libFuzzer target for the hive file reader: any input is read without a
// crash, and whatever is accepted is written back and read again unchanged.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/RegistryText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace platform;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryHive hive;
    RegistryParseError error;
    if (!parseRegistryText(text, hive, error)) {
        if (error.line == 0 || !hive.empty()) {
            std::abort();
        }
        return 0;
    }
    const std::string rendered = renderRegistryText(hive);
    RegistryHive again;
    if (!parseRegistryText(rendered, again, error) || !(again == hive) ||
        renderRegistryText(again) != rendered) {
        std::abort();
    }
    return 0;
}
