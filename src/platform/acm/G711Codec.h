#pragma once

#include "platform/acm/Pcm16Codec.h"

namespace platform::acm {

// A-law (tag 0x0006) or µ-law (tag 0x0007) <-> 16-bit PCM.
class G711Codec final : public Pcm16Codec {
  public:
    enum class Law { A, Mu };

    explicit G711Codec(Law law) : law_(law) {}

  protected:
    FormatTagDetails details() const override;
    bool accepts(const WaveFormat& format) const override;
    WaveFormat standardFormat(uint16_t channels, uint32_t samplesPerSec) const override;
    std::unique_ptr<Converter> decoder(const WaveFormat& format) const override;
    std::unique_ptr<Converter> encoder(const WaveFormat& format) const override;

  private:
    uint16_t tag() const { return law_ == Law::A ? kTagALaw : kTagMuLaw; }

    Law law_;
};

}  // namespace platform::acm
