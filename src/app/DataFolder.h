#pragma once

#include <filesystem>

namespace app {

// The program's read-only data (genre.dat, skins, help):
// <exe>/../share/mp3-melodux once installed, the build tree's data folder
// while the program runs from its build tree.
std::filesystem::path dataFolder();

// The rule behind dataFolder(), for a given executable. An installed data
// folder beside the executable wins, so a prefix inside the build tree
// works too; a program outside the build tree without one still names the
// place beside it, so a "not found" message says where it was looked for.
// `configuredData` is only for a process that cannot name its executable.
std::filesystem::path dataFolderFor(const std::filesystem::path& executable,
                                    const std::filesystem::path& buildTree,
                                    const std::filesystem::path& buildData,
                                    const std::filesystem::path& configuredData);

}  // namespace app
