#pragma once

#include <array>
#include <cstdint>

#include "mp3/L3Types.h"

namespace mp3::enc {

inline constexpr int kShortLines = kGranuleLines / kWindows;  // lines of one short window
inline constexpr int kMaxQuantValue = 8191 + 15;              // largest codable magnitude
inline constexpr int kMaxPart23Bits = 4095;                   // 12-bit part2_3_length

// Bitstream types (also the frame header's version family).
inline constexpr int kTypeMpeg1 = 0;
inline constexpr int kTypeMpeg2 = 1;
inline constexpr int kTypeMpeg25 = 2;

// Stereo modes of the frame header, by their code.
enum class StereoMode { Stereo = 0, Joint = 1, Dual = 2, Single = 3 };

// The flags every frame header carries.
struct HeaderFlags {
    bool crc = false;
    bool copyright = false;
    bool original = false;
    bool privateBit = false;
};

// Block types of a granule.
inline constexpr int kBlockNormal = 0;
inline constexpr int kBlockStart = 1;
inline constexpr int kBlockStop = 3;

// Everything the multiplexer writes for one granule of one channel: the side
// information, the scale factors and the quantised spectrum in bitstream
// order (short blocks: band, window, line).
struct GranuleCode {
    L3GranuleSide side;
    int scalefacLong[kLongBands] = {};
    int scalefacShort[kShortBands][kWindows] = {};
    int slen[4] = {};  // scale-factor bits per group
    int part2Bits = 0;
    int count1End = 0;  // first line after the count1 region
    // The right channel of an intensity-coded frame: intensity_scale (lower
    // sampling frequencies), -1 otherwise; positions from intensityStart up.
    int intensityScale = -1;
    int intensityStart = kLongBands;
    std::array<int, kGranuleLines> ix{};
};

// One frame's coded granules and the header fields the loop chose.
struct FrameCode {
    int granules = 2;
    int channels = 2;
    int modeExtension = 0;
    bool scfsi[kMaxChannels][4] = {};
    GranuleCode granule[kMaxGranules][kMaxChannels];
};

}  // namespace mp3::enc
