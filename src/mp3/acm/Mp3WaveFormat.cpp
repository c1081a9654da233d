#include "mp3/acm/Mp3WaveFormat.h"

#include <algorithm>
#include <array>

#include "platform/acm/AcmTypes.h"

namespace mp3::acm {

namespace {

constexpr std::array<uint32_t, 9> kRates = {8000,  11025, 12000, 16000, 22050,
                                            24000, 32000, 44100, 48000};
constexpr uint32_t kLowestMpeg1Rate = 32000;
constexpr std::array<uint32_t, 14> kMpeg1Kbps = {32,  40,  48,  56,  64,  80,  96,
                                                 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<uint32_t, 14> kLowRateKbps = {8,  16, 24, 32,  40,  48,  56,
                                                   64, 80, 96, 112, 128, 144, 160};

const std::array<uint32_t, 14>& bitratesOf(uint32_t sampleRate) {
    return sampleRate >= kLowestMpeg1Rate ? kMpeg1Kbps : kLowRateKbps;
}

void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, static_cast<uint16_t>(v));
    put16(p + 2, static_cast<uint16_t>(v >> 16));
}

uint16_t get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t get32(const uint8_t* p) {
    return get16(p) | uint32_t{get16(p + 2)} << 16;
}

}  // namespace

bool isMpegRate(uint32_t sampleRate) {
    return std::find(kRates.begin(), kRates.end(), sampleRate) != kRates.end();
}

uint32_t samplesPerFrame(uint32_t sampleRate) {
    return sampleRate >= kLowestMpeg1Rate ? 1152 : 576;
}

uint32_t frameBytes(uint32_t sampleRate, uint32_t bitrate) {
    return static_cast<uint32_t>(uint64_t{samplesPerFrame(sampleRate)} / 8 * bitrate / sampleRate);
}

bool isTableBitrate(uint32_t sampleRate, uint32_t bitrate) {
    const auto& table = bitratesOf(sampleRate);
    return bitrate % 1000 == 0 &&
           std::find(table.begin(), table.end(), bitrate / 1000) != table.end();
}

uint32_t lowestBitrate(uint32_t sampleRate) {
    return bitratesOf(sampleRate).front() * 1000;
}

Mp3WaveFormat Mp3WaveFormat::constantBitrate(uint32_t sampleRate, uint16_t channels,
                                             uint32_t bitrate, uint16_t codecDelay) {
    Mp3WaveFormat f;
    f.sampleRate = sampleRate;
    f.channels = channels;
    f.bitrate = bitrate;
    f.blockSize = static_cast<uint16_t>(frameBytes(sampleRate, bitrate));
    f.codecDelay = codecDelay;
    return f;
}

std::optional<Mp3WaveFormat> Mp3WaveFormat::parse(const platform::WaveFormat& format) {
    if (format.tag() != platform::acm::kTagMpegLayer3 || format.channels() < 1 ||
        format.channels() > 2 || !isMpegRate(format.samplesPerSec())) {
        return std::nullopt;
    }
    Mp3WaveFormat f;
    f.sampleRate = format.samplesPerSec();
    f.channels = format.channels();
    f.bitrate = format.avgBytesPerSec() * 8;
    const auto extra = format.extra();
    if (extra.size() >= kExtraSize) {
        f.flags = get32(extra.data() + 2);
        f.blockSize = get16(extra.data() + 6);
        f.framesPerBlock = get16(extra.data() + 8);
        f.codecDelay = get16(extra.data() + 10);
    }
    return f;
}

platform::WaveFormat Mp3WaveFormat::record() const {
    platform::WaveFormat f;
    f.setTag(platform::acm::kTagMpegLayer3);
    f.setChannels(channels);
    f.setSamplesPerSec(sampleRate);
    f.setAvgBytesPerSec(bitrate / 8);
    f.setBlockAlign(1);
    f.setBitsPerSample(0);
    uint8_t extra[kExtraSize];
    put16(extra, kIdMpeg);
    put32(extra + 2, flags);
    put16(extra + 6, blockSize);
    put16(extra + 8, framesPerBlock);
    put16(extra + 10, codecDelay);
    f.setExtra(extra);
    return f;
}

}  // namespace mp3::acm
