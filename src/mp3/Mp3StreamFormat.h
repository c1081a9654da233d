#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/WaveFormat.h"

namespace mp3 {

inline constexpr uint16_t kWaveFormatMpegLayer3 = 85;

// Flags of the format record.
inline constexpr uint32_t kFormatAllPadded = 0x1;
inline constexpr uint32_t kFormatNonePadded = 0x2;
inline constexpr uint32_t kFormatAllCrc = 0x10;
inline constexpr uint32_t kFormatNoCrc = 0x20;
inline constexpr uint32_t kFormatVariableBitrate = 0x100;

// The compressed stream's format in the MPEG Layer-3 wave-format layout.
struct Mp3StreamFormat {
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;  // mean bitrate / 8
    uint32_t flags = 0;
    uint16_t blockSize = 0;
    uint16_t framesPerBlock = 0;
    uint32_t bitrate = 0;  // the mean bitrate the record was filled from

    // The 30-byte record: tag 85, block align 1, 0 bits per sample, 12 extra
    // bytes (ID 1, flags, block size, frames per block, codec delay 0).
    platform::WaveFormat toWaveFormat() const;
};

// Runs the frame sync over `data` and fills `format` from what the frames
// show (see the analysis rules in Mp3StreamFormat.cpp). Returns the bit
// offset of the first frame, or -1 when there is none. With
// `computedBlockSize` a block size of 1 is replaced by the nominal frame size.
int64_t analyseMp3Stream(const uint8_t* data, size_t size, bool computedBlockSize,
                         Mp3StreamFormat& format);

}  // namespace mp3
