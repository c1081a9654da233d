#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The contents of the four drag-and-drop formats between the library and
// playlist views, free of Qt. Byte layout: every number a little-endian
// u32, every text its byte length (u32) then its UTF-8 bytes, every list
// its length (u32) then its elements. Decoding refuses truncated or
// trailing bytes and lengths beyond the data.
namespace ui::library {

// Groups of the group view: the show mode (1 artist, 2 album, 3 genre)
// and the group names.
struct GroupListPayload {
    uint32_t showMode = 0;
    std::vector<std::string> names;
    bool operator==(const GroupListPayload&) const = default;
};

// Playlists by name.
struct PlaylistListPayload {
    std::vector<std::string> names;
    bool operator==(const PlaylistListPayload&) const = default;
};

// Library items by path (a path names one library item).
struct ItemListPayload {
    std::vector<std::string> paths;
    bool operator==(const ItemListPayload&) const = default;
};

// Entries of one playlist by position.
struct PlaylistEntriesPayload {
    std::string playlist;
    std::vector<uint32_t> indices;
    bool operator==(const PlaylistEntriesPayload&) const = default;
};

std::string encode(const GroupListPayload& payload);
std::string encode(const PlaylistListPayload& payload);
std::string encode(const ItemListPayload& payload);
std::string encode(const PlaylistEntriesPayload& payload);

std::optional<GroupListPayload> decodeGroupList(std::string_view bytes);
std::optional<PlaylistListPayload> decodePlaylistList(std::string_view bytes);
std::optional<ItemListPayload> decodeItemList(std::string_view bytes);
std::optional<PlaylistEntriesPayload> decodePlaylistEntries(std::string_view bytes);

}  // namespace ui::library
