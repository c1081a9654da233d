#pragma once

#include <cstdint>
#include <vector>

#include "mp3/acm/Mp3WaveFormat.h"
#include "platform/acm/Codec.h"

namespace mp3::acm {

// The MPEG Layer-3 codec of the compression layer (tag 0x55): decodes any
// Layer III stream record to 16-bit PCM of its rate and channels, and
// encodes 16-bit PCM into the constant-bitrate formats our encoder offers
// at that rate and channel count.
class Mp3AcmCodec final : public platform::acm::Codec {
  public:
    Mp3AcmCodec();

    std::vector<platform::acm::FormatTagDetails> formatTags() const override;
    std::optional<platform::acm::FormatTagDetails> formatTagDetails(uint16_t tag) const override;
    std::vector<platform::WaveFormat> formats(uint16_t tag) const override;
    std::optional<std::string> formatText(const platform::WaveFormat& format) const override;
    std::optional<platform::WaveFormat> suggest(
        const platform::WaveFormat& source,
        const platform::acm::SuggestFilter& filter) const override;
    std::unique_ptr<platform::acm::Converter> open(
        const platform::WaveFormat& source, const platform::WaveFormat& destination) const override;

    // Bitrates (bit/s) the encoder writes at a rate and channel count.
    static std::vector<uint32_t> bitrates(uint32_t sampleRate, uint16_t channels);

  private:
    std::optional<platform::WaveFormat> suggestEncoding(
        const platform::WaveFormat& source, const platform::acm::SuggestFilter& filter) const;
    // Whether `format` is a record this codec writes.
    bool isWritable(const platform::WaveFormat& format) const;

    uint16_t codecDelay_;
};

}  // namespace mp3::acm
