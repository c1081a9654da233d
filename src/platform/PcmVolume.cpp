#include "platform/PcmVolume.h"

#include <cstring>
#include <vector>

#include "platform/PcmSample.h"

namespace platform {

namespace {

bool isFloat(const WaveFormat& f) {
    return f.tag() == kWaveFormatIeeeFloat;
}

// Levels per channel, 0..0xFFFF.
std::vector<uint32_t> channelLevels(uint16_t channels, uint32_t leftRight) {
    const uint32_t left = leftRight & 0xFFFF;
    const uint32_t right = leftRight >> 16;
    std::vector<uint32_t> levels(channels, (left + right) / 2);
    levels[0] = left;
    if (channels > 1) {
        levels[1] = right;
    }
    return levels;
}

template <typename Float>
void scaleFloat(uint8_t* p, uint32_t level) {
    Float v;
    std::memcpy(&v, p, sizeof v);
    v = static_cast<Float>(v * (static_cast<double>(level) / 0xFFFF));
    std::memcpy(p, &v, sizeof v);
}

void scaleSample(uint8_t* p, unsigned bytes, bool isFloatSample, uint32_t level) {
    if (isFloatSample) {
        bytes == 4 ? scaleFloat<float>(p, level) : scaleFloat<double>(p, level);
    } else {
        writePcmInt(p, bytes, readPcmInt(p, bytes) * level / 0xFFFF);
    }
}

}  // namespace

bool isPlayableFormat(const WaveFormat& f) {
    const unsigned bits = f.bitsPerSample();
    const bool intPcm =
        f.tag() == kWaveFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool floatPcm = isFloat(f) && (bits == 32 || bits == 64);
    return (intPcm || floatPcm) && f.channels() > 0 && f.samplesPerSec() > 0 &&
           f.blockAlign() == f.channels() * bits / 8;
}

void applyVolume(const WaveFormat& format, std::span<uint8_t> frames, uint32_t leftRight) {
    if (leftRight == kFullVolume || !isPlayableFormat(format)) {
        return;
    }
    const unsigned bytes = format.bitsPerSample() / 8;
    const std::vector<uint32_t> levels = channelLevels(format.channels(), leftRight);
    const bool floats = isFloat(format);
    const size_t whole = frames.size() - frames.size() % format.blockAlign();
    for (size_t at = 0; at < whole;) {
        for (const uint32_t level : levels) {
            if (level != 0xFFFF) {
                scaleSample(frames.data() + at, bytes, floats, level);
            }
            at += bytes;
        }
    }
}

}  // namespace platform
