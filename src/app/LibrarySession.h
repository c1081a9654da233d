#pragma once

#include <memory>
#include <string>

#include "mdb/GenreTable.h"
#include "mdb/MusicDatabase.h"
#include "mdb/TagAccess.h"

namespace app {

// The music library opened the way the program starts up: the music file
// types the engine reads registered, the genre table extended from genre.dat
// (a missing or unreadable file leaves the built-in table), then the
// database loaded from its folder.
class LibrarySession {
  public:
    // Throws what loading the database throws (mdb::FileIOException for an
    // unreadable library file).
    LibrarySession(const std::string& folder, std::shared_ptr<mdb::TagAccess> tags,
                   const std::string& genreFile);

    mdb::MusicDatabase& db() { return *db_; }
    const std::string& folder() const { return folder_; }
    // Saves into the folder when anything changed; true when it saved.
    // Throws what the save throws; the files on disk stay intact then.
    bool saveIfModified();

  private:
    static std::shared_ptr<mdb::GenreTable> loadGenres(const std::string& genreFile);

    std::string folder_;
    std::unique_ptr<mdb::MusicDatabase> db_;
};

}  // namespace app
