#include "app/AppSettings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "stream/RegistryFunctions.h"

namespace app {

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
        return user->pw_dir;
    }
    return "/";
}

namespace {

std::filesystem::path dataHome() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        return data;
    }
    return homeFolder() / ".local" / "share";
}

}  // namespace

std::string defaultLibraryFolder() {
    return (dataHome() / "mp3-melodux" / "MyData").string();
}

std::string libraryFolder() {
    std::string folder = nxss::ReadString(kSettingsSection, "DefaultMdbPath", "");
    return folder.empty() ? defaultLibraryFolder() : folder;
}

}  // namespace app
