#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "mdb/FileOps.h"
#include "mdb/GenreTable.h"
#include "mdb/GroupList.h"
#include "mdb/LoadFindings.h"
#include "mdb/MusicItemList.h"
#include "mdb/MutableGroupList.h"
#include "mdb/TagAccess.h"

namespace mdb {

// The database root: the library, the artist, album and genre groups and
// the playlist set, guarded by one re-entrant lock that every operation of
// every part takes. Saved to and loaded from one folder.
class MusicDatabase {
  public:
    MusicDatabase(std::shared_ptr<TagAccess> tags, std::shared_ptr<const GenreTable> genres,
                  std::shared_ptr<FileOps> files = std::make_shared<PosixFileOps>());
    ~MusicDatabase();
    MusicDatabase(const MusicDatabase&) = delete;
    MusicDatabase& operator=(const MusicDatabase&) = delete;

    MusicItemList& library() { return *library_; }
    GroupList& artistGroups() { return *artists_; }
    GroupList& albumGroups() { return *albums_; }
    GroupList& genreGroups() { return *genreGroups_; }
    MutableGroupList& playlists() { return *playlists_; }

    // Writes the playlist set, then the library, into `dir` (created when
    // missing), and clears temporaries that crashed processes left there.
    // Throws FileIOException or IOException; the files already there stay
    // intact on failure. A file of which the load could not take something
    // is first copied beside it ("Library.csv.bak", "-2", ... never
    // overwritten); playlists that could not be loaded stay as they are.
    // Only a process holding the folder's LibraryLock may save.
    void save(const std::string& dir);
    // Reads the library, then the playlist set, and changes nothing on
    // disk. Missing files give an empty library or set. An unreadable
    // library or index file throws FileIOException; lines and playlists
    // that cannot be read are skipped and told by loadProblems().
    void load(const std::string& dir);
    bool isModified() const;

    // What the last load could not take, by file and line.
    const std::vector<LoadProblem>& loadProblems() const { return findings_.problems; }
    // The copies saves made of such files since the load.
    const std::vector<std::string>& backups() const { return findings_.backups; }
    // For the storage; the caller holds the lock.
    LoadFindings& findings() { return findings_; }

    std::unique_lock<std::recursive_mutex> lock() const { return std::unique_lock(mutex_); }
    std::recursive_mutex& mutex() const { return mutex_; }

    // Delivers every pending change: the library, each group list (its
    // groups first), then the playlist set (its playlists first).
    void flushAll();
    // Tells ItemChanged from the library and from every group and playlist
    // holding the item.
    void itemChanged(MusicItem* item);

    GroupList& groups(GroupKind kind) const;
    TagAccess& tags() const { return *tags_; }
    const GenreTable& genres() const { return *genres_; }
    FileOps& files() const { return *files_; }

  private:
    mutable std::recursive_mutex mutex_;
    std::shared_ptr<TagAccess> tags_;
    std::shared_ptr<const GenreTable> genres_;
    std::shared_ptr<FileOps> files_;
    std::unique_ptr<GroupList> artists_;
    std::unique_ptr<GroupList> albums_;
    std::unique_ptr<GroupList> genreGroups_;
    std::unique_ptr<MutableGroupList> playlists_;
    std::unique_ptr<MusicItemList> library_;
    LoadFindings findings_;
};

}  // namespace mdb
