#pragma once

#include "platform/acm/Codec.h"

namespace platform::acm {

// Uncompressed formats: integer PCM (tag 1), IEEE float (tag 3) and both
// in extensible records (read only; never suggested). Converts between any
// two of them through PcmConverter.
class PcmCodec final : public Codec {
  public:
    std::vector<FormatTagDetails> formatTags() const override;
    std::optional<FormatTagDetails> formatTagDetails(uint16_t tag) const override;
    std::vector<WaveFormat> formats(uint16_t tag) const override;
    std::optional<std::string> formatText(const WaveFormat& format) const override;
    std::optional<WaveFormat> suggest(const WaveFormat& source,
                                      const SuggestFilter& filter) const override;
    std::unique_ptr<Converter> open(const WaveFormat& source,
                                    const WaveFormat& destination) const override;
};

}  // namespace platform::acm
