#include "platform/acm/ImaAdpcmCodec.h"

#include "platform/acm/AdpcmConverter.h"
#include "platform/acm/ImaAdpcm.h"

namespace platform::acm {

FormatTagDetails ImaAdpcmCodec::details() const {
    return {kTagImaAdpcm, "IMA ADPCM", WaveFormat::kHeaderSize + 2};
}

bool ImaAdpcmCodec::accepts(const WaveFormat& format) const {
    return ImaAdpcm::forFormat(format).has_value();
}

WaveFormat ImaAdpcmCodec::standardFormat(uint16_t channels, uint32_t samplesPerSec) const {
    return ImaAdpcm::standardFormat(channels, samplesPerSec);
}

std::unique_ptr<Converter> ImaAdpcmCodec::decoder(const WaveFormat& format) const {
    return std::make_unique<AdpcmConverter>(
        std::make_unique<ImaAdpcm>(*ImaAdpcm::forFormat(format)),
        AdpcmConverter::Direction::Decode);
}

std::unique_ptr<Converter> ImaAdpcmCodec::encoder(const WaveFormat& format) const {
    return std::make_unique<AdpcmConverter>(
        std::make_unique<ImaAdpcm>(*ImaAdpcm::forFormat(format)),
        AdpcmConverter::Direction::Encode);
}

}  // namespace platform::acm
