#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace mdb {

// Something a load could not take: in `file`, at `line` (from 1; 0 when it
// concerns the whole file), and why.
struct LoadProblem {
    std::string file;
    size_t line = 0;
    std::string what;

    // "FILE: line N: what", or "FILE: what" for the whole file.
    std::string text() const {
        return file + ": " + (line == 0 ? "" : "line " + std::to_string(line) + ": ") + what;
    }
};

// A line of the playlist index: a playlist's file and its name.
struct IndexEntry {
    std::string file;
    std::string name;
    bool operator==(const IndexEntry&) const = default;
};

// What the last load found in its folder that saves into the folder must
// respect, so that a save never drops what a load could not take.
struct LoadFindings {
    std::string dir;
    std::vector<LoadProblem> problems;
    // Files a save would lose something of (lines that could not be read,
    // entries not taken): each is copied beside itself once before a save
    // replaces or deletes it.
    std::set<std::string> damaged;
    // Index lines of playlists that were not loaded (their file could not
    // be read or lies outside the folder): saves write them back as they
    // were and leave their files alone.
    std::vector<IndexEntry> kept;
    // "F.tmp" backups of an interrupted save of an earlier kind, read in
    // place of their missing file F; removed once F is saved again.
    std::vector<std::string> legacyBackups;
    // The copies saves have made since the load.
    std::vector<std::string> backups;
};

}  // namespace mdb
