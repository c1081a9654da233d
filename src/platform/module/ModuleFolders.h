#pragma once

#include <filesystem>
#include <vector>

namespace platform {

// Where modules are looked for, in order: only `overrideFolder` when it
// is given (non-empty); else for a program inside `buildTree` the build
// tree's lib/mp3-melodux, and for an installed program <prefix>/lib/
// mp3-melodux beside its bin folder.
std::vector<std::filesystem::path> moduleFoldersFor(const std::filesystem::path& executable,
                                                    const std::filesystem::path& buildTree,
                                                    const std::filesystem::path& overrideFolder);

// The folders for this process: MELODUX_MODULE_DIR overrides, the program
// is /proc/self/exe.
std::vector<std::filesystem::path> moduleFolders();

}  // namespace platform
