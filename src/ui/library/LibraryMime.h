#pragma once

#include <QMimeData>
#include <string>
#include <vector>

#include "mdb/MusicDatabase.h"
#include "ui/library/DragPayload.h"

// The drag-and-drop formats of the library and playlist views as MIME
// types, plus file URIs for file managers in both directions.
namespace ui::library::mime {

inline constexpr const char* kGroupList = "application/x-melodux-grouplist";
inline constexpr const char* kPlaylistList = "application/x-melodux-mutablegrouplist";
inline constexpr const char* kItemList = "application/x-melodux-musicitemlist";
inline constexpr const char* kPlaylistEntries = "application/x-melodux-mutablegroupitemindexlist";
inline constexpr const char* kUriList = "text/uri-list";

void put(QMimeData& data, const GroupListPayload& payload);
void put(QMimeData& data, const PlaylistListPayload& payload);
void put(QMimeData& data, const PlaylistEntriesPayload& payload);
// The items as the item-list format and as file URIs.
void putItems(QMimeData& data, const std::vector<const mdb::MusicItem*>& items);

std::optional<GroupListPayload> groupList(const QMimeData& data);
std::optional<PlaylistListPayload> playlistList(const QMimeData& data);
std::optional<ItemListPayload> itemList(const QMimeData& data);
std::optional<PlaylistEntriesPayload> playlistEntries(const QMimeData& data);
// The local files and folders named by file URIs; other URIs are skipped.
std::vector<std::string> localPaths(const QMimeData& data);
// True when the data carries one of the database formats.
bool hasDatabaseFormat(const QMimeData& data);

// The library items the data names through a database format, in the
// order dragged; names and paths no longer in the database are skipped.
// The caller holds the database lock.
std::vector<mdb::MusicItem*> resolveItems(mdb::MusicDatabase& db, const QMimeData& data);

}  // namespace ui::library::mime
