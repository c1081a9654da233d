#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace app {
class SettingsStore;
}

namespace ui {

// The skin menu's entries: menu text and skin folder name.
struct SkinChoice {
    std::string_view menuText;
    std::string_view name;
};
inline constexpr std::array<SkinChoice, 4> kSkinChoices{{
    {"ブルー(&B)", "Navy"},
    {"グリーン(&G)", "Green"},
    {"オレンジ(&O)", "Orange"},
    {"グレー(&R)", "Black"},
}};

// The current skin folder ("SkinPath"), always ending in "/", or that
// folder's "Skin.ini" when asked. An unset "SkinPath" becomes the data
// folder's "Skin/Navy/", which is then stored.
std::string GetSkinFolder(app::SettingsStore& settings, const std::filesystem::path& dataFolder,
                          bool withIni);

// Makes the sibling skin folder `name` current. A missing folder changes
// nothing and gives the message to show ("<folder> が見つかりません。");
// success gives an empty text, and the caller reloads the skin.
std::string SelectSkin(app::SettingsStore& settings, const std::filesystem::path& dataFolder,
                       std::string_view name);

}  // namespace ui
