#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mdb/GenreTable.h"
#include "mdb/LibraryLock.h"
#include "mdb/MusicDatabase.h"
#include "mdb/TagAccess.h"

namespace app {

// The music library opened the way the program starts up: the music file
// types the engine reads registered, the genre table extended from genre.dat
// (a missing or unreadable file leaves the built-in table), then the
// database loaded from its folder.
class LibrarySession {
  public:
    enum class Access {
        // Takes no lock and never saves: for looking only, also while
        // another process has the library open.
        ReadOnly,
        // Holds the folder's lock (mdb::LibraryLock) from before the load
        // until the session ends, so that no other process changes the
        // library in between.
        ReadWrite,
    };

    // Throws what loading the database throws (mdb::FileIOException for an
    // unreadable library file) and, for ReadWrite, what taking the lock
    // throws (mdb::LibraryInUseException when another process holds it).
    LibrarySession(const std::string& folder, std::shared_ptr<mdb::TagAccess> tags,
                   const std::string& genreFile, Access access = Access::ReadWrite);

    mdb::MusicDatabase& db() { return *db_; }
    const std::string& folder() const { return folder_; }
    // What the load could not take; the user is to be told.
    const std::vector<mdb::LoadProblem>& problems() const { return db_->loadProblems(); }
    // Saves into the folder when anything changed; true when it saved.
    // Throws what the save throws; the files on disk stay intact then. A
    // ReadOnly session with changes throws std::logic_error.
    bool saveIfModified();

  private:
    static std::shared_ptr<mdb::GenreTable> loadGenres(const std::string& genreFile);

    std::string folder_;
    std::optional<mdb::LibraryLock> lock_;  // outlives the database
    std::unique_ptr<mdb::MusicDatabase> db_;
};

}  // namespace app
