#include "ui/library/PlaylistNames.h"

#include <algorithm>
#include <vector>

#include "mdb/MutableGroupList.h"

namespace ui::library {

std::string freePlaylistName(const mdb::MutableGroupList& playlists, std::string_view base) {
    const std::vector<std::string> names = playlists.getNames();
    const auto taken = [&names](const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    std::string name(base);
    for (int number = 1; taken(name); ++number) {
        name = std::string(base) + "(" + std::to_string(number) + ")";
    }
    return name;
}

}  // namespace ui::library
