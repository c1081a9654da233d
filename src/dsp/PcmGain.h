#pragma once

#include <cstdint>
#include <span>

#include "platform/WaveFormat.h"

namespace dsp {

// Scales whole frames in place by a linear factor, which may boost: integer
// samples saturate at full scale instead of wrapping, floats are left to
// the device. A factor of 1, or a layout the devices do not play, leaves
// the frames alone.
void applyGain(const platform::WaveFormat& format, std::span<uint8_t> frames, float factor);

}  // namespace dsp
