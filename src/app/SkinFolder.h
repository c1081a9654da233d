#pragma once

#include <filesystem>
#include <string>

namespace app {

class SettingsStore;

// The folder name ending in exactly the one "/" it needs.
std::string withTrailingSlash(std::string folder);

// The skin folder from "SkinPath", ending in "/". An unset value, or the
// program folder itself (the setting's default), means the program folder's
// "Skin/Navy/", which is then stored.
std::string skinFolder(SettingsStore& settings, const std::filesystem::path& programFolder);

}  // namespace app
