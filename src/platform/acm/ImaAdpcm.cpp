#include "platform/acm/ImaAdpcm.h"

#include <algorithm>

#include "platform/acm/AcmTypes.h"

namespace platform::acm {

namespace {

constexpr int kMaxStepIndex = 88;
constexpr std::array<int, kMaxStepIndex + 1> kStepSizes = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr std::array<int, 8> kIndexAdjust = {-1, -1, -1, -1, 2, 4, 6, 8};

constexpr size_t kHeaderBytes = 4;     // per channel
constexpr size_t kGroupBytes = 4;      // per channel
constexpr size_t kFramesPerGroup = 8;  // two codes per byte

struct Channel {
    int predictor = 0;
    int stepIndex = 0;

    // The decoder's update; the encoder runs it too so both stay in step.
    int16_t expand(int code) {
        const int step = kStepSizes[stepIndex];
        int diff = step >> 3;
        if (code & 4)
            diff += step;
        if (code & 2)
            diff += step >> 1;
        if (code & 1)
            diff += step >> 2;
        predictor = std::clamp(code & 8 ? predictor - diff : predictor + diff, -32768, 32767);
        stepIndex = std::clamp(stepIndex + kIndexAdjust[code & 7], 0, kMaxStepIndex);
        return static_cast<int16_t>(predictor);
    }

    // Picks the code by successive approximation of the difference.
    int quantise(int sample) const {
        int diff = sample - predictor;
        int code = 0;
        if (diff < 0) {
            code = 8;
            diff = -diff;
        }
        int step = kStepSizes[stepIndex];
        for (int bit = 4; bit > 0; bit >>= 1, step >>= 1) {
            if (diff >= step) {
                code |= bit;
                diff -= step;
            }
        }
        return code;
    }
};

int16_t readInt16(const uint8_t* p) {
    return static_cast<int16_t>(p[0] | (p[1] << 8));
}

}  // namespace

ImaAdpcm::ImaAdpcm(uint16_t channels, size_t blockBytes)
    : channels_(channels),
      blockBytes_(blockBytes),
      framesPerBlock_((blockBytes / channels - kHeaderBytes) * 2 + 1) {}

std::optional<ImaAdpcm> ImaAdpcm::forFormat(const WaveFormat& format) {
    const uint16_t channels = format.channels();
    const size_t block = format.blockAlign();
    if (format.tag() != kTagImaAdpcm || format.bitsPerSample() != 4 || channels < 1 ||
        channels > 2 || format.samplesPerSec() == 0 || block <= kHeaderBytes * channels ||
        block % (kGroupBytes * channels) != 0) {
        return std::nullopt;
    }
    return ImaAdpcm(channels, block);
}

WaveFormat ImaAdpcm::standardFormat(uint16_t channels, uint32_t samplesPerSec) {
    const uint16_t block =
        static_cast<uint16_t>(256 * channels * std::clamp(samplesPerSec / 11025, 1u, 4u));
    const ImaAdpcm coder(channels, block);
    WaveFormat f;
    f.setTag(kTagImaAdpcm);
    f.setChannels(channels);
    f.setSamplesPerSec(samplesPerSec);
    f.setBlockAlign(block);
    f.setBitsPerSample(4);
    f.setAvgBytesPerSec(
        static_cast<uint32_t>(uint64_t{samplesPerSec} * block / coder.framesPerBlock()));
    const auto spb = coder.framesPerBlock();
    const uint8_t extra[] = {static_cast<uint8_t>(spb), static_cast<uint8_t>(spb >> 8)};
    f.setExtra(extra);
    return f;
}

size_t ImaAdpcm::decode(std::span<const uint8_t> block, int16_t* frames) const {
    const size_t header = kHeaderBytes * channels_;
    if (block.size() < header) {
        return 0;
    }
    const size_t groups = std::min((block.size() - header) / (kGroupBytes * channels_),
                                   (framesPerBlock_ - 1) / kFramesPerGroup);
    for (uint16_t c = 0; c < channels_; ++c) {
        const uint8_t* h = block.data() + kHeaderBytes * c;
        Channel ch{readInt16(h), std::min<int>(h[2], kMaxStepIndex)};
        frames[c] = static_cast<int16_t>(ch.predictor);
        for (size_t g = 0; g < groups; ++g) {
            const uint8_t* bytes = block.data() + header + (g * channels_ + c) * kGroupBytes;
            int16_t* out = frames + (1 + g * kFramesPerGroup) * channels_ + c;
            for (size_t i = 0; i < kFramesPerGroup; ++i) {
                const int code = i % 2 == 0 ? bytes[i / 2] & 0x0F : bytes[i / 2] >> 4;
                out[i * channels_] = ch.expand(code);
            }
        }
    }
    return 1 + groups * kFramesPerGroup;
}

void ImaAdpcm::encode(const int16_t* frames, uint8_t* block) {
    const size_t header = kHeaderBytes * channels_;
    const size_t groups = (framesPerBlock_ - 1) / kFramesPerGroup;
    for (uint16_t c = 0; c < channels_; ++c) {
        Channel ch{frames[c], stepIndex_[c]};
        uint8_t* h = block + kHeaderBytes * c;
        h[0] = static_cast<uint8_t>(frames[c]);
        h[1] = static_cast<uint8_t>(static_cast<uint16_t>(frames[c]) >> 8);
        h[2] = static_cast<uint8_t>(ch.stepIndex);
        h[3] = 0;
        for (size_t g = 0; g < groups; ++g) {
            uint8_t* bytes = block + header + (g * channels_ + c) * kGroupBytes;
            const int16_t* in = frames + (1 + g * kFramesPerGroup) * channels_ + c;
            for (size_t i = 0; i < kFramesPerGroup; i += 2) {
                const int low = ch.quantise(in[i * channels_]);
                ch.expand(low);
                const int high = ch.quantise(in[(i + 1) * channels_]);
                ch.expand(high);
                bytes[i / 2] = static_cast<uint8_t>(low | (high << 4));
            }
        }
        stepIndex_[c] = ch.stepIndex;
    }
}

}  // namespace platform::acm
