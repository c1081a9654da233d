#pragma once

#include <cstdint>

#include "mp3/L3Types.h"

namespace mp3 {

// The scale-factor band table of a version and sampling index.
const L3BandTable& l3BandTable(uint32_t version, uint32_t samplingIndex);

// Long bands coded before the switch to short bands in a mixed block.
inline int l3MixedLongBands(uint32_t version) {
    return version == 0 ? 8 : 6;
}

}  // namespace mp3
