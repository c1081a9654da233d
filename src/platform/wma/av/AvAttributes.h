#pragma once

#include "platform/wma/Attributes.h"

extern "C" {
#include <libavutil/dict.h>
}

namespace platform::wma {

// The demuxer hands some attributes over under generic names ("artist"
// for "Author"); they are turned back into their ASF names here.
Attributes attributesFromLibrary(const AVDictionary* metadata);

// Adds every attribute to `metadata` under its ASF name, which the muxer
// writes as it stands. Returns false when the library is out of memory.
bool addAttributesToLibrary(const Attributes& attributes, AVDictionary** metadata);

}  // namespace platform::wma
