#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "platform/WaveFormat.h"
#include "platform/acm/BlockCoder.h"

namespace platform::acm {

// MS ADPCM blocks: per channel a predictor number, then per channel the
// step (delta), the second and the first sample (16-bit each); then 4-bit
// signed codes, high nibble first, channels interleaved. The predictor
// coefficients come from the format record (the standard seven when it
// carries none). The encoder writes the standard seven and predicts with
// those among them that need no rounding (see choose()).
class MsAdpcm final : public BlockCoder {
  public:
    using Coefficients = std::vector<std::pair<int, int>>;

    static std::optional<MsAdpcm> forFormat(const WaveFormat& format);
    static WaveFormat standardFormat(uint16_t channels, uint32_t samplesPerSec);
    static const Coefficients& standardCoefficients();

    size_t blockBytes() const override { return blockBytes_; }
    size_t framesPerBlock() const override { return framesPerBlock_; }
    uint16_t channels() const override { return channels_; }
    size_t decode(std::span<const uint8_t> block, int16_t* frames) const override;
    void encode(const int16_t* frames, uint8_t* block) override;
    void reset() override {}

  private:
    struct Choice {
        int predictor = 0;
        int delta = 16;
        int64_t error = 0;
    };

    MsAdpcm(uint16_t channels, size_t blockBytes, Coefficients coefficients);
    Choice choose(const int16_t* frames, uint16_t channel) const;
    int64_t trial(const int16_t* frames, uint16_t channel, int predictor, int delta) const;

    uint16_t channels_;
    size_t blockBytes_;
    size_t framesPerBlock_;
    Coefficients coefficients_;
};

}  // namespace platform::acm
