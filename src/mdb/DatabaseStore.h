#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mdb/RecordIO.h"
#include "mdb/SaveSnapshot.h"

namespace mdb {

class FileOps;
class MusicDatabase;

// What a save writes with: the files, the findings of the load it respects
// (the copies it makes are noted there) and the folder.
struct SaveTarget {
    FileOps& files;
    LoadFindings& findings;
    const std::string& dir;
};

// Storage of the database in one folder: "Library.csv" (the library),
// "PlayListSet.csv" (the playlist index) and one M3U file per playlist.
// Every file is replaced atomically; the folder is absolute, without a
// trailing '/'. Loads only read; saves respect what the load found
// (LoadFindings).

void saveLibrary(SaveTarget& target, const std::vector<MusicInfo>& records);
void loadLibrary(MusicDatabase& db, const std::string& dir);
void savePlaylistSet(SaveTarget& target, const std::vector<PlaylistCopy>& playlists);
void loadPlaylistSet(MusicDatabase& db, const std::string& dir);

// `dir` made absolute, without a trailing '/'.
std::string databaseFolder(const std::string& dir);
// Notes the problems of one file in the load's findings; a file with any
// is damaged.
void noteProblems(MusicDatabase& db, const std::string& file,
                  const std::vector<LineProblem>& problems);
// Copies `file` beside it ("FILE.bak", "FILE.bak-2", ...) when the load
// could not take all of it and no copy was made yet. Throws
// FileIOException(copy) when the copy cannot be made.
void backUpIfDamaged(SaveTarget& target, const std::string& file);
// The file a playlist named `name` is saved in: the name with the
// characters other systems forbid in file names replaced by spaces,
// numbered "-2", "-3", ... while `taken` says the file is not free.
std::string choosePlaylistFile(const std::string& dir, const std::string& name,
                               const std::function<bool(const std::string&)>& taken);

}  // namespace mdb
