#pragma once

#include <filesystem>

namespace app {

// A new, empty playlist file "mx??????.m3u" in a folder, for another
// program to read; it goes when this object does.
class TemporaryPlaylistFile {
  public:
    // Throws std::system_error with the errno of the failure when the
    // folder takes no new file.
    explicit TemporaryPlaylistFile(const std::filesystem::path& folder);
    ~TemporaryPlaylistFile();
    TemporaryPlaylistFile(const TemporaryPlaylistFile&) = delete;
    TemporaryPlaylistFile& operator=(const TemporaryPlaylistFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace app
