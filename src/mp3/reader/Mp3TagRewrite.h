#pragma once

#include <string>

#include "mp3/reader/CNxSSMp3File.h"
#include "tags/ExtendedTags.h"

// Writes an edit into an MP3 file's ID3v2 and APE tags and the ID3v1 block
// over its end, all on a copy that replaces the file (rewriteThroughCopy).
// Throws CNxSSException (0x80070000 | errno).
void rewriteMp3Tags(const std::string& path, const CNxSSMp3File::TagBytes& id3v1,
                    const tags::TagEdit& edit);
