#pragma once

#include <string>
#include <string_view>

namespace mdb {
class MutableGroupList;
}

namespace ui::library {

// `base` when no playlist has that name, else the first of "base(1)",
// "base(2)", ... that is free. The caller holds the database lock.
std::string freePlaylistName(const mdb::MutableGroupList& playlists, std::string_view base);

}  // namespace ui::library
