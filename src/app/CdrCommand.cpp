#include "app/CdrCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "platform/AsciiText.h"

namespace app {
namespace {

bool isExecutable(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(file, error) && ::access(file.c_str(), X_OK) == 0;
}

}  // namespace

std::string defaultCdrCommand(std::string_view searchPath) {
    while (!searchPath.empty()) {
        const size_t colon = std::min(searchPath.find(':'), searchPath.size());
        const std::string_view folder = searchPath.substr(0, colon);
        // An empty entry is the current folder: never where a program is
        // looked for here.
        if (!folder.empty() && isExecutable(std::filesystem::path(folder) / "brasero")) {
            return std::string(kBraseroCommand);
        }
        searchPath.remove_prefix(std::min(colon + 1, searchPath.size()));
    }
    return {};
}

std::string cdrCommandOf(const PlayerSettings& settings) {
    std::string command = settings.read(settings::kCdrCommand);
    if (command.empty()) {
        const char* path = std::getenv("PATH");
        command = defaultCdrCommand(path != nullptr ? path : "");
    }
    return command;
}

bool hasUnburnableFile(const std::vector<std::string>& paths) {
    return std::any_of(paths.begin(), paths.end(), [](const std::string& path) {
        const std::string extension = std::filesystem::path(path).extension().string();
        return platform::equalsIgnoreCase(extension, ".rmp") ||
               platform::equalsIgnoreCase(extension, ".wma");
    });
}

}  // namespace app
