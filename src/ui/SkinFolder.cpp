#include "ui/SkinFolder.h"

#include <system_error>

#include "app/SettingsStore.h"

namespace ui {

namespace {

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string skinsFolder(const std::filesystem::path& dataFolder) {
    return withSlash((dataFolder / "Skin").string());
}

}  // namespace

std::string GetSkinFolder(app::SettingsStore& settings, const std::filesystem::path& dataFolder,
                          bool withIni) {
    std::string folder = settings.read(app::settings::kSkinPath);
    if (folder.empty()) {
        folder = skinsFolder(dataFolder) + "Navy/";
        settings.write(app::settings::kSkinPath, folder);
    }
    folder = withSlash(std::move(folder));
    return withIni ? folder + "Skin.ini" : folder;
}

std::string SelectSkin(app::SettingsStore& settings, const std::filesystem::path& dataFolder,
                       std::string_view name) {
    const std::string current = settings.read(app::settings::kSkinPath);
    std::string parent = skinsFolder(dataFolder);
    if (!current.empty()) {
        // The parent of "…/Skin/Navy/" is "…/Skin/".
        const std::filesystem::path folder(withSlash(current));
        parent = withSlash(folder.parent_path().parent_path().string());
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
