#pragma once

#include "platform/acm/Codec.h"

namespace platform::acm {

// A codec of one format tag whose formats decode to, and encode from,
// 16-bit PCM at the same rate and channel count (ADPCM, G.711). Derived
// classes say which records are theirs and make the two converters.
class Pcm16Codec : public Codec {
  public:
    std::vector<FormatTagDetails> formatTags() const override;
    std::optional<FormatTagDetails> formatTagDetails(uint16_t tag) const override;
    std::vector<WaveFormat> formats(uint16_t tag) const override;
    std::optional<std::string> formatText(const WaveFormat& format) const override;
    std::optional<WaveFormat> suggest(const WaveFormat& source,
                                      const SuggestFilter& filter) const override;
    std::unique_ptr<Converter> open(const WaveFormat& source,
                                    const WaveFormat& destination) const override;

  protected:
    virtual FormatTagDetails details() const = 0;
    // Whether the record is a usable format of this codec.
    virtual bool accepts(const WaveFormat& format) const = 0;
    // The codec's usual format for that rate and channel count (1 or 2).
    virtual WaveFormat standardFormat(uint16_t channels, uint32_t samplesPerSec) const = 0;
    virtual std::unique_ptr<Converter> decoder(const WaveFormat& format) const = 0;
    virtual std::unique_ptr<Converter> encoder(const WaveFormat& format) const = 0;
};

}  // namespace platform::acm
