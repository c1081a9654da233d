#include "app/CommandLineFiles.h"

#include <filesystem>

#include "app/MusicFiles.h"

namespace app {

std::vector<std::string> commandLineFiles(const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        if (argument.empty() || argument[0] == '-') {
            continue;
        }
        std::string path = absolutePath(argument);
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) {
            files.push_back(std::move(path));
        }
    }
    return files;
}

}  // namespace app
