#include "mdb/SaveSnapshot.h"

#include <algorithm>
#include <filesystem>

#include "mdb/DatabaseStore.h"
#include "mdb/MusicDatabase.h"
#include "platform/TemporaryFiles.h"

namespace mdb {

SaveSnapshot::SaveSnapshot(MusicDatabase& db, const std::string& dir)
    : dir_(databaseFolder(dir)), files_(db.files()) {
    auto guard = db.lock();
    findings_ = db.findings();
    library_.reserve(db.library().count());
    playlistNames_ = db.playlists().getNames();
    db.library().clearModified();
    db.playlists().clearModified();
}

SaveSnapshot::Progress SaveSnapshot::copyMore(MusicDatabase& db, size_t entries) {
    auto guard = db.lock();
    if (db.isModified()) {
        return Progress::Changed;
    }
    MusicItemList& library = db.library();
    const size_t records =
        std::min(library.count() - std::min(library.count(), library_.size()), entries);
    entries -= records;
    for (size_t i = 0; i < records; ++i) {
        library_.push_back(library.itemAt(library_.size())->getInfo());
    }
    // A playlist is copied whole, however long.
    while (playlists_.size() < playlistNames_.size() && entries > 0) {
        const MutableGroup& playlist = db.playlists().get(playlistNames_[playlists_.size()]);
        PlaylistCopy& copy = playlists_.emplace_back(PlaylistCopy{playlist.getName(), {}});
        copy.paths.reserve(playlist.count());
        for (size_t i = 0; i < playlist.count(); ++i) {
            copy.paths.push_back(playlist.itemAt(i)->pathRef());
        }
        entries -= std::min(entries, copy.paths.size() + 1);
    }
    const bool complete =
        library_.size() == library.count() && playlists_.size() == playlistNames_.size();
    return complete ? Progress::Complete : Progress::More;
}

void SaveSnapshot::write() {
    std::error_code ignored;
    std::filesystem::create_directories(dir_, ignored);
    SaveTarget target{files_, findings_, dir_};
    savePlaylistSet(target, playlists_);
    saveLibrary(target, library_);
    platform::temporary::removeStale(dir_);
}

void SaveSnapshot::finish(MusicDatabase& db, bool written) {
    auto guard = db.lock();
    LoadFindings& findings = db.findings();
    findings.damaged = std::move(findings_.damaged);
    findings.backups = std::move(findings_.backups);
    findings.legacyBackups = std::move(findings_.legacyBackups);
    if (!written) {
        db.library().markModified();
    }
}

}  // namespace mdb
