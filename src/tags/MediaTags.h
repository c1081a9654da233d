#pragma once

#include <optional>
#include <string>

#include "tags/ExtendedTags.h"

// The tags of the formats the media module plays (FLAC and Ogg Vorbis
// comments, MP4 atoms, APE and the others TagLib knows), through the fields
// every one of them has. The format is found from the contents, so a copy
// under a temporary name reads and writes as the file does.
namespace tags {

// Nothing when TagLib does not know the file or cannot read it.
std::optional<TagFields> readMediaTags(const std::string& path);

// Applies the edit to the file in place: callers hand over a private copy.
// False when the file cannot be opened as one TagLib writes, or saving fails.
bool writeMediaTags(const std::string& path, const TagEdit& edit);

}  // namespace tags
