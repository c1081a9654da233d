#pragma once

#include <memory>
#include <vector>

#include "platform/acm/BlockCoder.h"
#include "platform/acm/Codec.h"

namespace platform::acm {

// Block-wise conversion between an ADPCM format and 16-bit PCM. Whole
// blocks are converted as they come; the last partial block only under
// kConvertEnd (encoding pads it with silence, decoding gives the samples a
// truncated block holds).
class AdpcmConverter final : public Converter {
  public:
    enum class Direction { Decode, Encode };

    AdpcmConverter(std::unique_ptr<BlockCoder> coder, Direction direction);

    size_t destinationSize(size_t sourceBytes) const override;
    size_t sourceSize(size_t destinationBytes) const override;
    void reset() override { coder_->reset(); }
    Conversion convert(std::span<const uint8_t> source, std::span<uint8_t> destination,
                       uint32_t flags) override;

  private:
    size_t pcmBlockBytes() const;
    Conversion decode(std::span<const uint8_t> source, std::span<uint8_t> destination, bool end);
    Conversion encode(std::span<const uint8_t> source, std::span<uint8_t> destination, bool end);

    std::unique_ptr<BlockCoder> coder_;
    Direction direction_;
    std::vector<int16_t> samples_;
};

}  // namespace platform::acm
