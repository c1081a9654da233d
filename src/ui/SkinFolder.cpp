#include "ui/SkinFolder.h"

#include <system_error>

#include "app/SettingsStore.h"
#include "app/SkinFolder.h"

namespace ui {

namespace {

std::string skinsFolder(const std::filesystem::path& dataFolder) {
    return app::withTrailingSlash((dataFolder / "Skin").string());
}

}  // namespace

std::string GetSkinFolder(app::SettingsStore& settings, const std::filesystem::path& dataFolder,
                          bool withIni) {
    const std::string folder = app::skinFolder(settings, dataFolder);
    return withIni ? folder + "Skin.ini" : folder;
}

std::string SelectSkin(app::SettingsStore& settings, const std::filesystem::path& dataFolder,
                       std::string_view name) {
    const std::string current = settings.read(app::settings::kSkinPath);
    std::string parent = skinsFolder(dataFolder);
    if (!current.empty()) {
        // The parent of "…/Skin/Navy/" is "…/Skin/".
        const std::filesystem::path folder(app::withTrailingSlash(current));
        parent = app::withTrailingSlash(folder.parent_path().parent_path().string());
    }
    const std::string folder = parent + std::string(name) + "/";
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        return folder + " が見つかりません。";
    }
    settings.write(app::settings::kSkinPath, folder);
    return {};
}

}  // namespace ui
