#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mdb/MusicInfo.h"

namespace mdb {
class MusicItem;
}

// The columns of the library and playlist item lists, free of Qt. The data
// column numbers are those the "LibraryItemPosition" and
// "PlaylistItemPosition" settings name.
namespace ui::library {

enum class ItemColumn {
    Playing = 1,
    Title = 2,
    Artist = 3,
    Album = 4,
    Genre = 5,
    Track = 6,
    Time = 7,
    Size = 8,
    FileName = 9,
};

inline constexpr int kItemColumns = 9;

// The data column shown in model column `index` (0-based), or nothing.
std::optional<ItemColumn> itemColumnAt(int index);
std::string_view columnHeader(ItemColumn column);
// The field a column sorts by; the playing mark sorts by nothing. The file
// name column shows the whole path and sorts by it.
std::optional<mdb::MusicInfo::Type> sortField(ItemColumn column);
// The text shown for an item; the caller holds the database lock.
std::string columnText(const mdb::MusicItem& item, ItemColumn column);

// "m:ss" of a play time in milliseconds.
std::string playTimeText(uint32_t milliseconds);
// Kilobytes, rounded up, as "%u KB".
std::string sizeText(uint32_t bytes);

// The mark of the item being played.
inline constexpr std::string_view kPlayingMark = "▶";

}  // namespace ui::library
