#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mp3/Mp3Decoder.h"
#include "support/Files.h"

namespace mp3::test {

std::string fixturePath(const std::string& name);
using testsupport::readBytes;
std::vector<float> readFloats(const std::string& path);

struct DecodeRun {
    std::vector<float> floats;   // with float output
    std::vector<int16_t> pcm16;  // with integer output (Quality 0)
    std::vector<uint8_t> pcm8;   // with integer output and Quality set
    std::vector<Mp3Ssc> codes;   // one per frame delivered
    int frames = 0;
    Mp3FrameInfo lastInfo;
};

// Feeds `data` in chunks of `chunk` bytes and decodes every frame.
DecodeRun decodeAll(const std::vector<uint8_t>& data, bool floating, int quality = 0,
                    int resolution = 0, int downmix = 0, size_t chunk = 1000);

// Error of a decode at 16-bit scale against a reference at full scale 1.0.
struct Accuracy {
    double rms = 0.0;  // relative to full scale
    double max = 0.0;
    size_t compared = 0;
};
Accuracy compareFloat(const std::vector<float>& ours, size_t skip, const std::vector<float>& ref);

// The ISO/IEC 11172-4 full-accuracy limits.
inline const double kRmsLimit = 0.0000088097;      // 2^-15 / sqrt(12)
inline const double kMaxLimit = 0.00006103515625;  // 2^-14

// A minimal Layer III header word: MPEG-1 44.1 kHz, no CRC.
uint32_t headerWord(int bitrateIndex, int padding = 0, int mode = 0, int samplingIndex = 0);
// A frame of that header with zeroed side information and main data; a
// free-format one is `freeBytes` long without its padding.
std::vector<uint8_t> silentFrame(uint32_t word, size_t freeBytes = 0);

}  // namespace mp3::test
