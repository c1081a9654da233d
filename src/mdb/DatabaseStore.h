#pragma once

#include <string>

namespace mdb {

class MusicDatabase;

// Storage of the database in one folder: "Library.csv" (the library),
// "PlayListSet.csv" (the playlist index) and one M3U file per playlist.
// Every file is replaced atomically; the folder is absolute, without a
// trailing '/'.

void saveLibrary(MusicDatabase& db, const std::string& dir);
void loadLibrary(MusicDatabase& db, const std::string& dir);
void savePlaylistSet(MusicDatabase& db, const std::string& dir);
void loadPlaylistSet(MusicDatabase& db, const std::string& dir);

// `dir` made absolute, without a trailing '/'.
std::string databaseFolder(const std::string& dir);
// The file a playlist named `name` is saved in: the name with the
// characters other systems forbid in file names replaced by spaces,
// numbered "-2", "-3", ... while the file exists.
std::string choosePlaylistFile(MusicDatabase& db, const std::string& dir, const std::string& name);

}  // namespace mdb
