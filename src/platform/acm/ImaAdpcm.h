#pragma once

#include <array>
#include <optional>

#include "platform/WaveFormat.h"
#include "platform/acm/BlockCoder.h"

namespace platform::acm {

// IMA ADPCM blocks as WAVE files hold them: per channel a 4-byte header
// (first sample, step index, a zero byte), then per channel in turn 4-byte
// groups of eight 4-bit codes, low nibble first.
class ImaAdpcm final : public BlockCoder {
  public:
    // Nothing unless blockBytes is a positive multiple of 4 x channels
    // beyond the headers and channels is 1 or 2.
    static std::optional<ImaAdpcm> forFormat(const WaveFormat& format);
    static WaveFormat standardFormat(uint16_t channels, uint32_t samplesPerSec);

    size_t blockBytes() const override { return blockBytes_; }
    size_t framesPerBlock() const override { return framesPerBlock_; }
    uint16_t channels() const override { return channels_; }
    size_t decode(std::span<const uint8_t> block, int16_t* frames) const override;
    void encode(const int16_t* frames, uint8_t* block) override;
    void reset() override { stepIndex_.fill(0); }

  private:
    ImaAdpcm(uint16_t channels, size_t blockBytes);

    uint16_t channels_;
    size_t blockBytes_;
    size_t framesPerBlock_;
    std::array<int, 2> stepIndex_{};  // carried from block to block by the encoder
};

}  // namespace platform::acm
