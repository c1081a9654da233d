#pragma once

#include <cstdint>

#include "tags/ReplayGain.h"

namespace app {

// The "ReplayGain" setting's values.
enum class ReplayGainMode { Off = 0, Track = 1, Album = 2 };

// The "ReplayGainPreamp" setting's range, tenths of a dB.
inline constexpr int32_t kMinPreampTenths = -150;
inline constexpr int32_t kMaxPreampTenths = 150;

// A stored value off the range reads as the setting's default.
ReplayGainMode replayGainModeOf(int32_t stored);
int32_t replayGainPreampOf(int32_t storedTenths);

// The linear factor for a file's samples. Off leaves them as they are;
// Track and Album take that gain, else the other one, else none, and add
// the pre-amp. The factor keeps the peak of the gain taken (else the other
// peak) at full scale at most, and stays within -30..+20 dB.
float replayGainFactor(const tags::ReplayGain& gain, ReplayGainMode mode, double preampDb);

}  // namespace app
