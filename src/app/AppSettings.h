#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace app {

// The section of the program's own settings.
inline constexpr std::string_view kSettingsSection = "Settings";

// The user's home folder: $HOME when absolute, else the password entry's.
std::filesystem::path homeFolder();

// Where the library is stored when the settings name no folder:
// $XDG_DATA_HOME/mp3-melodux/MyData, else ~/.local/share/mp3-melodux/MyData.
std::string defaultLibraryFolder();

// The library folder from the "DefaultMdbPath" setting; an unset or empty
// value means the default folder.
std::string libraryFolder();

}  // namespace app
