#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cdinfo/CddbEntry.h"

namespace cdinfo {

// The CDs seen before, as freedb-format files "<category>/<discid>" under
// one folder, with the program's per-track states as comment lines. Files
// are written UTF-8; older files in another encoding are read as CP932.
class LocalCdDb {
  public:
    explicit LocalCdDb(std::filesystem::path root);

    // $XDG_DATA_HOME/mp3-melodux/cddb, else ~/.local/share/mp3-melodux/cddb.
    static std::filesystem::path defaultRoot();

    struct Found {
        CddbEntry entry;
        std::string category;
    };

    // The entry for the disc: one with the same track offsets if there is
    // one, else one with the same number of tracks.
    std::optional<Found> find(uint32_t discId, const std::vector<uint32_t>& offsets) const;

    // Stores the entry under the category, replacing the same disc's entry
    // in any other category. False when the file could not be written.
    bool store(uint32_t discId, const CddbEntry& entry, const std::string& category) const;

    const std::filesystem::path& root() const { return root_; }

  private:
    std::vector<std::string> categories() const;
    std::optional<CddbEntry> load(const std::filesystem::path& file) const;

    std::filesystem::path root_;
};

}  // namespace cdinfo
