#pragma once

#include <cstdint>
#include <span>

#include "platform/WaveFormat.h"

namespace platform {

inline constexpr uint32_t kFullVolume = 0xFFFFFFFF;

// True for the sample layouts the wave devices play and scale: integer PCM
// of 8, 16, 24 or 32 bits and float of 32 or 64 bits, with a block align of
// one sample per channel.
bool isPlayableFormat(const WaveFormat& format);

// Scales whole frames in place by a packed volume ((right << 16) | left,
// each 0..0xFFFF). The first channel takes the left level, the second the
// right, any further channel their mean; a mono stream takes the left.
void applyVolume(const WaveFormat& format, std::span<uint8_t> frames, uint32_t leftRight);

}  // namespace platform
