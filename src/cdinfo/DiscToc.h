#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/cd/Toc.h"

namespace cdinfo {

// A disc's track layout as CDDB sees it: addresses in CD frames counted
// from the start of the lead-in (LBA, the first track usually at 150).
struct DiscToc {
    std::vector<uint32_t> offsets;  // each track's start
    uint32_t leadOut = 0;           // the lead-out's start

    static DiscToc fromToc(const platform::cd::Toc& toc);

    size_t trackCount() const { return offsets.size(); }
    // Frames of track i (from 0) up to the next track or the lead-out.
    uint32_t trackFrames(size_t i) const;
    // The disc's length in whole seconds, counted from address 0.
    uint32_t discSeconds() const { return leadOut / platform::cd::kSectorsPerSecond; }
    bool valid() const;
};

// The freedb disc id: digit sums of the track start seconds, the playing
// time in seconds and the track count.
uint32_t freedbDiscId(const DiscToc& toc);

// A disc id as CDDB writes it: eight lower-case hex digits.
std::string discIdText(uint32_t discId);

}  // namespace cdinfo
