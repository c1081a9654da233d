#pragma once

#include <cstdint>

namespace mp3::enc {

// What the frame header of a stream's descriptive first frame (VBRI, Info)
// carries: the stream's own version, rate, channels and flags, no CRC, no
// padding. version: 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5.
struct HeaderFrameFields {
    int version = 0;
    int bitrateIndex = 1;
    int sampleRate = 44100;
    bool mono = false;
    bool privateBit = false;
    bool copyright = false;
    bool original = false;
};

uint32_t headerFrameWord(const HeaderFrameFields& fields);

// `bytes` bytes of `value`, most significant first.
void putBigEndian(uint8_t* p, uint64_t value, int bytes);

}  // namespace mp3::enc
