#include "platform/acm/MsAdpcmCodec.h"

#include "platform/acm/AdpcmConverter.h"
#include "platform/acm/MsAdpcm.h"

namespace platform::acm {

FormatTagDetails MsAdpcmCodec::details() const {
    return {kTagMsAdpcm, "MS ADPCM", WaveFormat::kHeaderSize + 32};
}

bool MsAdpcmCodec::accepts(const WaveFormat& format) const {
    return MsAdpcm::forFormat(format).has_value();
}

WaveFormat MsAdpcmCodec::standardFormat(uint16_t channels, uint32_t samplesPerSec) const {
    return MsAdpcm::standardFormat(channels, samplesPerSec);
}

std::unique_ptr<Converter> MsAdpcmCodec::decoder(const WaveFormat& format) const {
    return std::make_unique<AdpcmConverter>(std::make_unique<MsAdpcm>(*MsAdpcm::forFormat(format)),
                                            AdpcmConverter::Direction::Decode);
}

std::unique_ptr<Converter> MsAdpcmCodec::encoder(const WaveFormat& format) const {
    return std::make_unique<AdpcmConverter>(std::make_unique<MsAdpcm>(*MsAdpcm::forFormat(format)),
                                            AdpcmConverter::Direction::Encode);
}

}  // namespace platform::acm
