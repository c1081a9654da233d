#include "platform/acm/MsAdpcm.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include "platform/acm/AcmTypes.h"

namespace platform::acm {

namespace {

constexpr std::array<int, 16> kAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                             768, 614, 512, 409, 307, 230, 230, 230};
constexpr int kMinDelta = 16;
// Corrupt blocks could grow the step without end; no real stream gets near.
constexpr int kMaxDelta = std::numeric_limits<int>::max() / 768;
constexpr size_t kHeaderBytes = 7;  // per channel
constexpr size_t kStandardCount = 7;

int16_t readInt16(const uint8_t* p) {
    return static_cast<int16_t>(p[0] | (p[1] << 8));
}

void writeInt16(uint8_t* p, int v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
}

struct Channel {
    int coef1 = 0, coef2 = 0;
    int delta = kMinDelta;
    int sample1 = 0, sample2 = 0;

    int predict() const {
        return static_cast<int>((int64_t{sample1} * coef1 + int64_t{sample2} * coef2) >> 8);
    }

    // The decoder's update; the encoder runs it too so both stay in step.
    int16_t expand(int code) {
        const int signedCode = code >= 8 ? code - 16 : code;
        const int sample = static_cast<int>(
            std::clamp<int64_t>(predict() + int64_t{signedCode} * delta, -32768, 32767));
        delta = std::clamp((kAdaptation[code] * delta) >> 8, kMinDelta, kMaxDelta);
        sample2 = sample1;
        sample1 = sample;
        return static_cast<int16_t>(sample);
    }

    // The code whose step lands nearest to the sample.
    int quantise(int sample) const {
        const int diff = sample - predict();
        const int rounded = (diff >= 0 ? diff + delta / 2 : diff - delta / 2) / delta;
        return std::clamp(rounded, -8, 7) & 0x0F;
    }
};

// Bytes of the coefficient table in a record: samples per block, count,
// then the pairs.
MsAdpcm::Coefficients coefficientsOf(const WaveFormat& format) {
    const auto extra = format.extra();
    if (extra.size() < 4) {
        return MsAdpcm::standardCoefficients();
    }
    const size_t count =
        std::min<size_t>(readInt16(extra.data() + 2) & 0xFFFF, (extra.size() - 4) / 4);
    if (count == 0) {
        return MsAdpcm::standardCoefficients();
    }
    MsAdpcm::Coefficients table;
    for (size_t i = 0; i < count; ++i) {
        table.emplace_back(readInt16(extra.data() + 4 + 4 * i),
                           readInt16(extra.data() + 6 + 4 * i));
    }
    return table;
}

}  // namespace

const MsAdpcm::Coefficients& MsAdpcm::standardCoefficients() {
    static const Coefficients table = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                       {240, 0}, {460, -208}, {392, -232}};
    return table;
}

MsAdpcm::MsAdpcm(uint16_t channels, size_t blockBytes, Coefficients coefficients)
    : channels_(channels),
      blockBytes_(blockBytes),
      framesPerBlock_((blockBytes - kHeaderBytes * channels) * 2 / channels + 2),
      coefficients_(std::move(coefficients)) {}

std::optional<MsAdpcm> MsAdpcm::forFormat(const WaveFormat& format) {
    const uint16_t channels = format.channels();
    const size_t block = format.blockAlign();
    if (format.tag() != kTagMsAdpcm || format.bitsPerSample() != 4 || channels < 1 ||
        channels > 2 || format.samplesPerSec() == 0 || block <= kHeaderBytes * channels) {
        return std::nullopt;
    }
    return MsAdpcm(channels, block, coefficientsOf(format));
}

WaveFormat MsAdpcm::standardFormat(uint16_t channels, uint32_t samplesPerSec) {
    const uint16_t block =
        static_cast<uint16_t>(256 * channels * std::clamp(samplesPerSec / 11025, 1u, 4u));
    const MsAdpcm coder(channels, block, standardCoefficients());
    const auto spb = coder.framesPerBlock();
    WaveFormat f;
    f.setTag(kTagMsAdpcm);
    f.setChannels(channels);
    f.setSamplesPerSec(samplesPerSec);
    f.setBlockAlign(block);
    f.setBitsPerSample(4);
    f.setAvgBytesPerSec(static_cast<uint32_t>(uint64_t{samplesPerSec} * block / spb));
    std::vector<uint8_t> extra(4 + 4 * kStandardCount);
    writeInt16(extra.data(), static_cast<int>(spb));
    writeInt16(extra.data() + 2, kStandardCount);
    for (size_t i = 0; i < kStandardCount; ++i) {
        writeInt16(extra.data() + 4 + 4 * i, standardCoefficients()[i].first);
        writeInt16(extra.data() + 6 + 4 * i, standardCoefficients()[i].second);
    }
    f.setExtra(extra);
    return f;
}

size_t MsAdpcm::decode(std::span<const uint8_t> block, int16_t* frames) const {
    const size_t header = kHeaderBytes * channels_;
    if (block.size() < header) {
        return 0;
    }
    std::array<Channel, 2> ch;
    for (uint16_t c = 0; c < channels_; ++c) {
        // An unknown predictor number decodes with the first pair.
        const size_t p = block[c] < coefficients_.size() ? block[c] : 0;
        ch[c].coef1 = coefficients_[p].first;
        ch[c].coef2 = coefficients_[p].second;
        ch[c].delta = readInt16(block.data() + channels_ + 2 * c);
        ch[c].sample1 = readInt16(block.data() + 3 * channels_ + 2 * c);
        ch[c].sample2 = readInt16(block.data() + 5 * channels_ + 2 * c);
        frames[c] = static_cast<int16_t>(ch[c].sample2);
        frames[channels_ + c] = static_cast<int16_t>(ch[c].sample1);
    }
    const size_t codes = std::min((block.size() - header) * 2, (framesPerBlock_ - 2) * channels_) /
                         channels_ * channels_;
    for (size_t k = 0; k < codes; ++k) {
        const uint8_t byte = block[header + k / 2];
        const int code = k % 2 == 0 ? byte >> 4 : byte & 0x0F;
        frames[2 * channels_ + k] = ch[k % channels_].expand(code);
    }
    return 2 + codes / channels_;
}

int64_t MsAdpcm::trial(const int16_t* frames, uint16_t channel, int predictor, int delta) const {
    Channel ch{coefficients_[predictor].first, coefficients_[predictor].second, delta,
               frames[channels_ + channel], frames[channel]};
    int64_t error = 0;
    for (size_t i = 2; i < framesPerBlock_; ++i) {
        const int sample = frames[i * channels_ + channel];
        const int diff = sample - ch.expand(ch.quantise(sample));
        error += int64_t{diff} * diff;
    }
    return error;
}

// Tries each predictor with a few starting steps and keeps the one with the
// least squared error over the block. Only predictors whose coefficients are
// whole multiples of 256 are tried: their prediction needs no rounding, so
// decoders that round the division differently (floor or toward zero) all
// decode our blocks alike. The others would gain well under 1 dB.
MsAdpcm::Choice MsAdpcm::choose(const int16_t* frames, uint16_t channel) const {
    Choice best{0, kMinDelta, std::numeric_limits<int64_t>::max()};
    const size_t predictors = std::min<size_t>(coefficients_.size(), 256);
    for (size_t p = 0; p < predictors; ++p) {
        const auto [c1, c2] = coefficients_[p];
        if (c1 % 256 != 0 || c2 % 256 != 0) {
            continue;
        }
        const Channel start{c1, c2, kMinDelta, frames[channels_ + channel], frames[channel]};
        const int residual = std::abs(frames[2 * channels_ + channel] - start.predict());
        for (const int delta : {kMinDelta, residual / 4, residual / 2}) {
            const int d = std::clamp(delta, kMinDelta, 32767);
            const int64_t error = trial(frames, channel, static_cast<int>(p), d);
            if (error < best.error) {
                best = {static_cast<int>(p), d, error};
            }
        }
    }
    return best;
}

void MsAdpcm::encode(const int16_t* frames, uint8_t* block) {
    const size_t header = kHeaderBytes * channels_;
    std::array<Channel, 2> ch;
    for (uint16_t c = 0; c < channels_; ++c) {
        const Choice choice = choose(frames, c);
        ch[c] = {coefficients_[choice.predictor].first, coefficients_[choice.predictor].second,
                 choice.delta, frames[channels_ + c], frames[c]};
        block[c] = static_cast<uint8_t>(choice.predictor);
        writeInt16(block + channels_ + 2 * c, choice.delta);
        writeInt16(block + 3 * channels_ + 2 * c, frames[channels_ + c]);
        writeInt16(block + 5 * channels_ + 2 * c, frames[c]);
    }
    const size_t codes = (framesPerBlock_ - 2) * channels_;
    for (size_t k = 0; k < codes; ++k) {
        const int sample = frames[2 * channels_ + k];
        Channel& state = ch[k % channels_];
        const int code = state.quantise(sample);
        state.expand(code);
        uint8_t& byte = block[header + k / 2];
        byte = k % 2 == 0 ? static_cast<uint8_t>(code << 4) : static_cast<uint8_t>(byte | code);
    }
}

}  // namespace platform::acm
