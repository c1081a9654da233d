#include "platform/module/ModuleFolders.h"

#include <cstdlib>
#include <system_error>

namespace platform {

namespace {

constexpr const char* kModuleFolder = "lib/mp3-melodux";

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const std::filesystem::path relative = path.lexically_normal().lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

std::vector<std::filesystem::path> moduleFoldersFor(const std::filesystem::path& executable,
                                                    const std::filesystem::path& buildTree,
                                                    const std::filesystem::path& overrideFolder) {
    if (!overrideFolder.empty()) {
        return {overrideFolder};
    }
    if (executable.empty()) {
        return {};
    }
    if (!buildTree.empty() && isInside(executable, buildTree)) {
        return {buildTree / kModuleFolder};
    }
    return {executable.parent_path().parent_path() / kModuleFolder};
}

std::vector<std::filesystem::path> moduleFolders() {
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    const char* override = std::getenv("MELODUX_MODULE_DIR");
    return moduleFoldersFor(ec ? std::filesystem::path() : executable, MELODUX_BUILD_TREE,
                            override != nullptr ? override : "");
}

}  // namespace platform
