#pragma once

#include <string>

#include "stream/CNxSSInfo.h"
#include "stream/CNxSSManager.h"
#include "stream/NxRef.h"

// "key: value" lines for what an information object tells, whatever its kind.
namespace cli {

// "kind": ID3v1, RIFF or WMA.
void printKind(const CNxSSInfo& info);
// title, artist, album, year, comment, track, genre.
void printTagFields(const CNxSSInfo& info);
// duration, size and the technical facts of the info's kind.
void printFacts(const CNxSSInfo& info);
// The information text as the file information dialog shows it, with plain
// line ends.
void printInformationText(const CNxSSInfo& info);

// The information object of a file, or prints the error and returns null.
NxRef<CNxSSInfo> openInfo(CNxSSManager& manager, const std::string& name);

}  // namespace cli
