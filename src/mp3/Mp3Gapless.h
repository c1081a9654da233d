#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace mp3 {

// The synthesis filterbank puts this many samples before the first one an
// encoder coded, on top of the encoder's own delay.
inline constexpr uint32_t kMp3DecoderDelay = 529;

// Which of a stream's decoded samples are real ones, at its own rate.
struct Mp3Gapless {
    uint32_t start = 0;    // decoded samples to drop at the start
    uint32_t end = 0;      // and at the end
    uint64_t samples = 0;  // the real ones left; 0 when the frames are not counted
};

// From the first frame's LAME extension (a "Xing" or "Info" frame with a
// valid CRC) or its "VBRI" delay; nothing for any other frame.
std::optional<Mp3Gapless> gaplessOf(const uint8_t* frame, size_t available);

}  // namespace mp3
