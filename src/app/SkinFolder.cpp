#include "app/SkinFolder.h"

#include "app/SettingsStore.h"

namespace app {

std::string withTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string skinFolder(SettingsStore& settings, const std::filesystem::path& programFolder) {
    const std::string program = withTrailingSlash(programFolder.string());
    std::string folder = settings.read(settings::kSkinPath);
    if (folder.empty() || withTrailingSlash(folder) == program) {
        folder = program + "Skin/Navy/";
        settings.write(settings::kSkinPath, folder);
    }
    return withTrailingSlash(std::move(folder));
}

}  // namespace app
