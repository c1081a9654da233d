#pragma once

#include "platform/acm/Pcm16Codec.h"

namespace platform::acm {

// IMA ADPCM (tag 0x0011) <-> 16-bit PCM.
class ImaAdpcmCodec final : public Pcm16Codec {
  protected:
    FormatTagDetails details() const override;
    bool accepts(const WaveFormat& format) const override;
    WaveFormat standardFormat(uint16_t channels, uint32_t samplesPerSec) const override;
    std::unique_ptr<Converter> decoder(const WaveFormat& format) const override;
    std::unique_ptr<Converter> encoder(const WaveFormat& format) const override;
};

}  // namespace platform::acm
