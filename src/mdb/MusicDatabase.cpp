#include "mdb/MusicDatabase.h"

#include <cstdint>

#include "mdb/DatabaseStore.h"
#include "mdb/SaveSnapshot.h"

namespace mdb {

MusicDatabase::MusicDatabase(std::shared_ptr<TagAccess> tags,
                             std::shared_ptr<const GenreTable> genres,
                             std::shared_ptr<FileOps> files)
    : tags_(std::move(tags)),
      genres_(std::move(genres)),
      files_(std::move(files)),
      artists_(std::make_unique<GroupList>(*this, GroupKind::Artist)),
      albums_(std::make_unique<GroupList>(*this, GroupKind::Album)),
      genreGroups_(std::make_unique<GroupList>(*this, GroupKind::Genre)),
      playlists_(std::make_unique<MutableGroupList>(*this)),
      library_(std::make_unique<MusicItemList>(*this)) {}

MusicDatabase::~MusicDatabase() {
    auto guard = lock();
    // The items unlink from the groups and playlists, so the library is
    // emptied first, while every part can still be told.
    library_->clear();
    library_.reset();
    artists_.reset();
    albums_.reset();
    genreGroups_.reset();
    playlists_.reset();
}

void MusicDatabase::save(const std::string& dir) {
    auto guard = lock();
    SaveSnapshot snapshot(*this, dir);
    snapshot.copyMore(*this, SIZE_MAX);
    try {
        snapshot.write();
    } catch (...) {
        snapshot.finish(*this, false);
        throw;
    }
    snapshot.finish(*this, true);
}

void MusicDatabase::load(const std::string& dir) {
    auto guard = lock();
    const std::string folder = databaseFolder(dir);
    findings_ = LoadFindings{folder, {}, {}, {}, {}, {}};
    loadLibrary(*this, folder);
    loadPlaylistSet(*this, folder);
    flushAll();
}

bool MusicDatabase::isModified() const {
    auto guard = lock();
    return library_->isModified() || playlists_->isModified();
}

void MusicDatabase::flushAll() {
    auto guard = lock();
    library_->flush();
    artists_->flushAll();
    albums_->flushAll();
    genreGroups_->flushAll();
    playlists_->flushAll();
}

void MusicDatabase::itemChanged(MusicItem* item) {
    auto guard = lock();
    library_->deliverItemChanged();
    for (const GroupKind kind : {GroupKind::Artist, GroupKind::Album, GroupKind::Genre}) {
        if (Group* group = item->group(kind)) {
            group->deliverItemChanged();
        }
    }
    playlists_->itemChanged(item);
}

GroupList& MusicDatabase::groups(GroupKind kind) const {
    switch (kind) {
        case GroupKind::Artist:
            return *artists_;
        case GroupKind::Album:
            return *albums_;
        default:
            return *genreGroups_;
    }
}

}  // namespace mdb
