#pragma once

#include <cstddef>
#include <cstdint>

namespace mp3 {

inline constexpr int kSubbands = 32;
inline constexpr int kSlots = 18;  // time slots of a granule
inline constexpr int kGranuleLines = kSubbands * kSlots;
inline constexpr int kMaxGranules = 2;
inline constexpr int kMaxChannels = 2;
inline constexpr int kLongBands = 22;
inline constexpr int kShortBands = 13;
inline constexpr int kWindows = 3;
inline constexpr int kBlockShort = 2;

// Side information of one granule and channel.
struct L3GranuleSide {
    uint32_t part23Length = 0;
    uint32_t bigValues = 0;
    uint32_t globalGain = 0;
    uint32_t scalefacCompress = 0;
    uint32_t blockType = 0;  // 0 normal, 1 start, 2 short, 3 stop
    bool windowSwitching = false;
    bool mixedBlock = false;
    uint32_t tableSelect[3] = {};
    uint32_t subblockGain[3] = {};
    uint32_t region0Count = 0;
    uint32_t region1Count = 0;
    bool preflag = false;
    bool scalefacScale = false;
    bool count1TableB = false;

    bool shortBlocks() const { return blockType == kBlockShort; }
};

struct L3SideInfo {
    uint32_t mainDataBegin = 0;
    uint32_t privateBits = 0;
    bool scfsi[kMaxChannels][4] = {};
    L3GranuleSide granule[kMaxGranules][kMaxChannels];
};

// Scalefactors of one channel; short bands hold three windows. In the right
// channel of intensity stereo they are the intensity positions.
struct L3Scalefactors {
    uint8_t longBand[kLongBands] = {};
    uint8_t shortBand[kShortBands][kWindows] = {};
    bool intensityScale = false;  // lower sampling frequencies, right channel
};

// Scale-factor band boundaries of one sampling frequency, in spectral lines.
struct L3BandTable {
    uint16_t longBounds[kLongBands + 1];
    uint16_t shortBounds[kShortBands + 1];  // within one window
};

}  // namespace mp3
