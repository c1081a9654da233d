#include "ui/library/LibraryMime.h"

#include <QUrl>

#include "mdb/Exceptions.h"

namespace ui::library::mime {

namespace {

void putBytes(QMimeData& data, const char* type, const std::string& bytes) {
    data.setData(QString::fromLatin1(type), QByteArray(bytes.data(), qsizetype(bytes.size())));
}

std::string bytesOf(const QMimeData& data, const char* type) {
    const QByteArray bytes = data.data(QString::fromLatin1(type));
    return std::string(bytes.constData(), size_t(bytes.size()));
}

template <typename Payload, typename Decode>
std::optional<Payload> read(const QMimeData& data, const char* type, Decode decode) {
    if (!data.hasFormat(QString::fromLatin1(type))) {
        return std::nullopt;
    }
    return decode(bytesOf(data, type));
}

// A group, a playlist or the library.
template <typename List>
void appendGroup(const List& group, std::vector<mdb::MusicItem*>& items) {
    for (size_t i = 0; i < group.count(); ++i) {
        items.push_back(group.itemAt(i));
    }
}

std::optional<mdb::GroupKind> kindOfShowMode(uint32_t mode) {
    switch (mode) {
        case 1:
            return mdb::GroupKind::Artist;
        case 2:
            return mdb::GroupKind::Album;
        case 3:
            return mdb::GroupKind::Genre;
        default:
            return std::nullopt;
    }
}

void appendGroups(mdb::MusicDatabase& db, const GroupListPayload& payload,
                  std::vector<mdb::MusicItem*>& items) {
    if (payload.showMode == 0) {
        appendGroup(db.library(), items);
        return;
    }
    const auto kind = kindOfShowMode(payload.showMode);
    if (!kind) {
        return;
    }
    for (const std::string& name : payload.names) {
        try {
            appendGroup(db.groups(*kind).get(name), items);
        } catch (const mdb::NotFoundException&) {
            // The group went away since the drag began.
        }
    }
}

void appendPlaylists(mdb::MusicDatabase& db, const std::vector<std::string>& names,
                     std::vector<mdb::MusicItem*>& items) {
    for (const std::string& name : names) {
        try {
            appendGroup(db.playlists().get(name), items);
        } catch (const mdb::NotFoundException&) {
        }
    }
}

void appendEntries(mdb::MusicDatabase& db, const PlaylistEntriesPayload& payload,
                   std::vector<mdb::MusicItem*>& items) {
    try {
        const mdb::MutableGroup& playlist = db.playlists().get(payload.playlist);
        for (uint32_t index : payload.indices) {
            if (index < playlist.count()) {
                items.push_back(playlist.itemAt(index));
            }
        }
    } catch (const mdb::NotFoundException&) {
    }
}

}  // namespace

void put(QMimeData& data, const GroupListPayload& payload) {
    putBytes(data, kGroupList, encode(payload));
}

void put(QMimeData& data, const PlaylistListPayload& payload) {
    putBytes(data, kPlaylistList, encode(payload));
}

void put(QMimeData& data, const PlaylistEntriesPayload& payload) {
    putBytes(data, kPlaylistEntries, encode(payload));
}

void putItems(QMimeData& data, const std::vector<const mdb::MusicItem*>& items) {
    ItemListPayload payload;
    QList<QUrl> urls;
    payload.paths.reserve(items.size());
    urls.reserve(qsizetype(items.size()));
    for (const mdb::MusicItem* item : items) {
        payload.paths.push_back(item->pathRef());
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(item->pathRef())));
    }
    putBytes(data, kItemList, encode(payload));
    data.setUrls(urls);
}

std::optional<GroupListPayload> groupList(const QMimeData& data) {
    return read<GroupListPayload>(data, kGroupList, decodeGroupList);
}

std::optional<PlaylistListPayload> playlistList(const QMimeData& data) {
    return read<PlaylistListPayload>(data, kPlaylistList, decodePlaylistList);
}

std::optional<ItemListPayload> itemList(const QMimeData& data) {
    return read<ItemListPayload>(data, kItemList, decodeItemList);
}

std::optional<PlaylistEntriesPayload> playlistEntries(const QMimeData& data) {
    return read<PlaylistEntriesPayload>(data, kPlaylistEntries, decodePlaylistEntries);
}

std::vector<std::string> localPaths(const QMimeData& data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    return paths;
}

bool hasDatabaseFormat(const QMimeData& data) {
    for (const char* type : {kGroupList, kPlaylistList, kItemList, kPlaylistEntries}) {
        if (data.hasFormat(QString::fromLatin1(type))) {
            return true;
        }
    }
    return false;
}

std::vector<mdb::MusicItem*> resolveItems(mdb::MusicDatabase& db, const QMimeData& data) {
    std::vector<mdb::MusicItem*> items;
    if (const auto entries = playlistEntries(data)) {
        appendEntries(db, *entries, items);
    } else if (const auto list = itemList(data)) {
        for (const std::string& path : list->paths) {
            const auto found = db.library().itemsWithPath(path);
            if (!found.empty()) {
                items.push_back(found.front());
            }
        }
    } else if (const auto groups = groupList(data)) {
        appendGroups(db, *groups, items);
    } else if (const auto playlists = playlistList(data)) {
        appendPlaylists(db, playlists->names, items);
    }
    return items;
}

}  // namespace ui::library::mime
