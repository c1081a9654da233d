#pragma once

#include <string>

#include "cdinfo/CDiscID.h"
#include "cdinfo/CddbEntry.h"
#include "cdinfo/GenreMap.h"
#include "platform/cd/Toc.h"

namespace cdinfo {

// Between a disc's information and its database entry.

// A disc known only by its table of contents: its layout, and the titles
// of its CD-Text when it has any.
CDiscID discFromToc(const platform::cd::Toc& toc);

// Takes the entry's titles, genre, year, revision and stored states into
// the disc; the disc's own layout stays.
void applyEntry(const CddbEntry& entry, const std::string& category, const GenreMap& genres,
                CDiscID& disc);

// The entry for the disc, with its states and output paths.
CddbEntry entryFromDisc(const CDiscID& disc, const GenreMap& genres);

// The category to file the disc under: the one its titles came from, else
// the one of its genre.
std::string categoryOf(const CDiscID& disc, const GenreMap& genres);

// True when the entry names the disc or any track.
bool hasTitles(const CddbEntry& entry);

}  // namespace cdinfo
