#include "app/DataFolder.h"

#include <algorithm>
#include <iterator>
#include <system_error>

namespace app {

namespace {

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const std::filesystem::path p = path.lexically_normal();
    const std::filesystem::path f = folder.lexically_normal();
    const auto [end, _] = std::mismatch(f.begin(), f.end(), p.begin(), p.end());
    // A trailing separator leaves an empty last element in `f`.
    return end == f.end() || (end->empty() && std::next(end) == f.end());
}

}  // namespace

std::filesystem::path dataFolderFor(const std::filesystem::path& executable,
                                    const std::filesystem::path& buildTree,
                                    const std::filesystem::path& buildData,
                                    const std::filesystem::path& configuredData) {
    if (executable.empty()) {
        return configuredData;
    }
    const std::filesystem::path installed =
        executable.parent_path().parent_path() / "share" / "mp3-melodux";
    std::error_code ec;
    if (std::filesystem::is_directory(installed, ec)) {
        return installed;
    }
    if (!buildTree.empty() && isInside(executable, buildTree)) {
        return buildData;
    }
    return installed;
}

std::filesystem::path dataFolder() {
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    return dataFolderFor(ec ? std::filesystem::path() : executable, MELODUX_BUILD_TREE,
                         MELODUX_BUILD_DATA_DIR, MELODUX_INSTALL_DATA_DIR);
}

}  // namespace app
