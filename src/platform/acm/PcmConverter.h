#pragma once

#include <optional>
#include <vector>

#include "platform/acm/Codec.h"
#include "platform/acm/PcmLayout.h"
#include "platform/acm/Resampler.h"

namespace platform::acm {

// Uncompressed to uncompressed: sample size and kind, channels 1 <-> 2 and
// any rate to any rate. Without a rate change every sample is converted on
// its own, exactly (an integer round trip through a larger size or float
// gives the same bits back). With one, the Resampler runs in float and its
// delayed tail comes out under kConvertEnd; under kConvertBlockAlign the
// last input frame stays unconsumed, so that callers that end the stream
// only while they still hold input do end it.
class PcmConverter final : public Converter {
  public:
    PcmConverter(const PcmLayout& source, const PcmLayout& destination);

    static bool canConvert(const PcmLayout& source, const PcmLayout& destination);

    size_t destinationSize(size_t sourceBytes) const override;
    size_t sourceSize(size_t destinationBytes) const override;
    void reset() override;
    Conversion convert(std::span<const uint8_t> source, std::span<uint8_t> destination,
                       uint32_t flags) override;

  private:
    Conversion convertDirect(std::span<const uint8_t> source, std::span<uint8_t> destination,
                             uint32_t flags);
    Conversion convertResampled(std::span<const uint8_t> source, std::span<uint8_t> destination,
                                uint32_t flags);
    size_t resample(const uint8_t* source, size_t frames, uint8_t* destination, size_t room);
    size_t flush(uint8_t* destination, size_t room);
    void emit(size_t frames, uint8_t* destination);

    PcmLayout source_, destination_;
    uint16_t resampledChannels_;
    std::optional<Resampler> resampler_;
    bool finished_ = false;
    std::vector<double> wideIn_, wideOut_;
    std::vector<float> in_, mixed_, out_, outMixed_;
};

}  // namespace platform::acm
