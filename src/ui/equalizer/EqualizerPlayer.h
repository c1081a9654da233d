#pragma once

#include <array>
#include <cstdint>

#include "platform/WaveFormat.h"

namespace ui {

// The player as the equalizer window sees it. The setters run on the UI
// thread; OutputFormat() and CopyPlaying() are called by the spectrum
// worker and must be safe from any thread.
class EqualizerPlayer {
  public:
    virtual ~EqualizerPlayer() = default;
    virtual void SetLevels(const std::array<double, 10>& levels) = 0;
    virtual void SetGain(int32_t gain) = 0;
    virtual void SetBypass(bool bypass) = 0;
    // False while nothing plays.
    virtual bool OutputFormat(platform::WaveFormat& format) = 0;
    // Copies `frames` frames of what is being heard; false when none are.
    virtual bool CopyPlaying(void* buffer, uint32_t frames) = 0;
};

}  // namespace ui
