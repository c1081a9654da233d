#pragma once

#include <string>
#include <vector>

#include "mdb/LoadFindings.h"
#include "mdb/MusicInfo.h"

namespace mdb {

class FileOps;
class MusicDatabase;

// A playlist as a save writes it: its name and its entries' paths.
struct PlaylistCopy {
    std::string name;
    std::vector<std::string> paths;
};

// What a save of the database writes into a folder, copied on the
// database's thread, so that the files can be written on another thread
// while the database goes on changing. Saves into one folder run one at a
// time.
//
// The copy can be taken in steps (copyMore), so that a large library never
// holds its thread up for long. The snapshot clears the modified flags when
// it begins; a step that finds them set again knows the database changed
// in between, so that the copy would not be one state of it.
class SaveSnapshot {
  public:
    enum class Progress { More, Complete, Changed };

    // Copies the load's findings and clears the modified flags; the records
    // follow in copyMore().
    SaveSnapshot(MusicDatabase& db, const std::string& dir);

    // Copies up to about `entries` more library records and playlist
    // entries. Changed when the database changed since the snapshot began:
    // the copy is then to be dropped with finish(db, false).
    Progress copyMore(MusicDatabase& db, size_t entries);
    // Writes the playlist set, then the library, as MusicDatabase::save
    // does, and throws what it throws. Touches nothing of the database, so
    // it may run on any thread.
    void write();
    // On the database's thread once write() has returned or thrown, or for
    // a copy that is dropped: takes back what the write changed in the
    // findings (copies made, files no longer damaged) and, unless it was
    // written, marks the database modified, so that nothing is taken for
    // saved that is not.
    void finish(MusicDatabase& db, bool written);

    const std::string& folder() const { return dir_; }

  private:
    std::string dir_;
    FileOps& files_;
    LoadFindings findings_;
    std::vector<MusicInfo> library_;
    std::vector<std::string> playlistNames_;
    std::vector<PlaylistCopy> playlists_;
};

}  // namespace mdb
