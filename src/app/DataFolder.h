#pragma once

#include <filesystem>

namespace app {

// The program's read-only data (genre.dat, skins, help): the build tree's
// data folder while the program runs from its build tree,
// <prefix>/share/mp3-melodux once installed.
std::filesystem::path dataFolder();

// The rule behind dataFolder(), for a given executable.
std::filesystem::path dataFolderFor(const std::filesystem::path& executable,
                                    const std::filesystem::path& buildTree,
                                    const std::filesystem::path& buildData,
                                    const std::filesystem::path& installData);

}  // namespace app
