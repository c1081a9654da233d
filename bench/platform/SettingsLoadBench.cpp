// Times what every command does first: reading the user's settings file.
// Writes two hives into a temporary folder, one with KEYS keys of one value
// each and one with a single key of KEYS values, and reports the time of
// the first read through a fresh Registry (which parses the whole file),
// of a write (re-read, change, atomic replace) and of the text parser alone,
// all in CPU seconds.
//
//   settings_load_bench [KEYS]     default 100000

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ProductKey.h"
#include "platform/Registry.h"
#include "platform/RegistryText.h"

using namespace platform;

namespace {

// CPU time, which other work on a shared machine barely changes.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Hive text as the program writes it, made directly so that making it
// costs nothing next to reading it.
std::string manyKeys(size_t count) {
    std::string text = "; MP3 Melodux settings\n";
    for (size_t i = 0; i < count; ++i) {
        char value[16];
        std::snprintf(value, sizeof value, "%08x", static_cast<uint32_t>(i));
        text += "\n[" + std::string(kProductKey) + "\\Keys\\K" + std::to_string(i) +
                "]\n\"Value\"=dword:" + value + "\n";
    }
    return text;
}

std::string manyValues(size_t count) {
    std::string text = "; MP3 Melodux settings\n\n[" + std::string(kProductKey) + "\\Values]\n";
    for (size_t i = 0; i < count; ++i) {
        text += "\"V" + std::to_string(i) + "\"=\"text " + std::to_string(i) + "\"\n";
    }
    return text;
}

void measure(const char* label, const std::string& text, const std::filesystem::path& folder,
             std::string_view lastKey, std::string_view lastName) {
    const auto file = folder / label / "registry";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;

    double start = cpuSeconds();
    RegistryHive parsed;
    RegistryParseError error;
    const bool ok = parseRegistryText(text, parsed, error);
    const double parse = cpuSeconds() - start;

    Registry registry(file, folder / "none" / "registry");
    start = cpuSeconds();
    const bool found = registry.read(lastKey, lastName).has_value();
    const double load = cpuSeconds() - start;

    start = cpuSeconds();
    const bool written = registry.write(lastKey, "Added", RegValue::dword(1));
    const double write = cpuSeconds() - start;

    // The text is exactly what the program would write for these values.
    const bool same = renderRegistryText(parsed) == text;
    std::printf("%-12s %9zu keys %7.2f MB  parse %.3f s  first read %.3f s  write %.3f s (CPU)%s\n",
                label, parsed.keys().size(), double(text.size()) / 1e6, parse, load, write,
                ok && found && written && same ? "" : "  FAILED");
}

}  // namespace

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const auto folder =
        std::filesystem::temp_directory_path() / ("settings-bench-" + std::to_string(::getpid()));
    const std::string last = std::to_string(count - 1);
    measure("many-keys", manyKeys(count), folder, std::string(kProductKey) + "\\Keys\\K" + last,
            "Value");
    measure("many-values", manyValues(count), folder, std::string(kProductKey) + "\\Values",
            "V" + last);
    std::filesystem::remove_all(folder);
    return 0;
}
