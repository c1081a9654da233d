#pragma once

#include <string>

#include "cdinfo/CDiscID.h"
#include "mdb/MusicDatabase.h"
#include "mdb/MusicInfo.h"
#include "mdb/MusicItem.h"

namespace app {

// The library record of track `track` (from 0) of the disc, ripped to
// `path`: the track's title (else "Track%02d"), the disc's title as album,
// the track's artist (else the disc's), the track's extra text as comment,
// the disc's genre and year, the track number and the play time.
mdb::MusicInfo rippedTrackRecord(const cdinfo::CDiscID& disc, int track, const std::string& path);

// Files a finished recording into the library and writes the record's tag
// into the file where its format holds one; size and time follow the
// file. A file the library holds already (a track ripped again) takes the
// new record, keeping its place in playlists. Null when the library does
// not take the file's type. Throws what the library throws.
mdb::MusicItem* fileRecording(mdb::MusicDatabase& db, const mdb::MusicInfo& record);

}  // namespace app
