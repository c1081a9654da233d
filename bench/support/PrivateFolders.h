#pragma once

// The settings, data and music folders of a bench run, inside a folder of
// its own, so that a bench never touches the user's.
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace benchsupport {

inline void usePrivateFolders(const std::filesystem::path& folder) {
    for (const char* sub : {"cfg", "sys", "data", "music"}) {
        std::filesystem::create_directories(folder / sub);
    }
    ::setenv("MELODUX_CONFIG_HOME", (folder / "cfg").c_str(), 1);
    ::setenv("MELODUX_SYSTEM_CONFIG", (folder / "sys").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    ::setenv("XDG_MUSIC_DIR", (folder / "music").c_str(), 1);
}

// The same in a temporary folder that goes with the object.
class PrivateFolders {
  public:
    explicit PrivateFolders(const std::string& name) {
        std::string pattern = "/tmp/" + name + "-XXXXXX";
        base_ = ::mkdtemp(pattern.data());
        usePrivateFolders(base_);
    }
    ~PrivateFolders() { std::filesystem::remove_all(base_); }
    PrivateFolders(const PrivateFolders&) = delete;
    PrivateFolders& operator=(const PrivateFolders&) = delete;
    std::filesystem::path music() const { return base_ / "music"; }

  private:
    std::filesystem::path base_;
};

}  // namespace benchsupport
