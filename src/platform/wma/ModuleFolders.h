#pragma once

#include <filesystem>
#include <vector>

namespace platform::wma {

// The module's file name, the same in the build tree and once installed.
inline constexpr const char* kWmaModuleFile = "melodux-wma.so";

// Where the module is looked for, in order: only `overrideFolder` when it
// is given (non-empty); else for a program inside `buildTree` the build
// tree's lib/mp3-melodux, and for an installed program <prefix>/lib/
// mp3-melodux beside its bin folder.
std::vector<std::filesystem::path> moduleFoldersFor(const std::filesystem::path& executable,
                                                    const std::filesystem::path& buildTree,
                                                    const std::filesystem::path& overrideFolder);

// The folders for this process: MELODUX_MODULE_DIR overrides, the program
// is /proc/self/exe.
std::vector<std::filesystem::path> wmaModuleFolders();

}  // namespace platform::wma
