#include "platform/acm/G711Codec.h"

#include <algorithm>
#include <cstring>

#include "platform/acm/G711.h"
#include "platform/acm/PcmLayout.h"

namespace platform::acm {

namespace {

// One byte per sample one way, two the other; every whole frame converts
// on its own.
class G711Converter final : public Converter {
  public:
    G711Converter(G711Codec::Law law, bool encode, uint16_t channels)
        : law_(law), encode_(encode), channels_(channels) {}

    size_t destinationSize(size_t sourceBytes) const override {
        return encode_ ? sourceBytes / 2 : sourceBytes * 2;
    }
    size_t sourceSize(size_t destinationBytes) const override {
        return encode_ ? destinationBytes * 2 : destinationBytes / 2;
    }
    void reset() override {}

    Conversion convert(std::span<const uint8_t> source, std::span<uint8_t> destination,
                       uint32_t flags) override {
        const size_t sb = channels_ * (encode_ ? 2u : 1u), db = channels_ * (encode_ ? 1u : 2u);
        const size_t whole = source.size() / sb;
        const size_t frames = std::min(whole, destination.size() / db);
        const size_t samples = frames * channels_;
        encode_ ? encodeSamples(source.data(), samples, destination.data())
                : decodeSamples(source.data(), samples, destination.data());
        const bool dropTail = (flags & kConvertEnd) != 0 && frames == whole;
        return {kOk, dropTail ? source.size() : frames * sb, frames * db};
    }

  private:
    void encodeSamples(const uint8_t* in, size_t count, uint8_t* out) const {
        for (size_t i = 0; i < count; ++i) {
            int16_t s;
            std::memcpy(&s, in + 2 * i, 2);
            out[i] = law_ == G711Codec::Law::A ? linearToALaw(s) : linearToMuLaw(s);
        }
    }

    void decodeSamples(const uint8_t* in, size_t count, uint8_t* out) const {
        for (size_t i = 0; i < count; ++i) {
            const int16_t s =
                law_ == G711Codec::Law::A ? aLawToLinear(in[i]) : muLawToLinear(in[i]);
            std::memcpy(out + 2 * i, &s, 2);
        }
    }

    G711Codec::Law law_;
    bool encode_;
    uint16_t channels_;
};

}  // namespace

FormatTagDetails G711Codec::details() const {
    return {tag(), law_ == Law::A ? "G.711 A-Law" : "G.711 μ-Law", WaveFormat::kHeaderSize};
}

bool G711Codec::accepts(const WaveFormat& format) const {
    return format.tag() == tag() && format.bitsPerSample() == 8 && format.channels() >= 1 &&
           format.channels() <= PcmLayout::kMaxChannels && format.samplesPerSec() > 0 &&
           format.blockAlign() == format.channels();
}

WaveFormat G711Codec::standardFormat(uint16_t channels, uint32_t samplesPerSec) const {
    auto f = WaveFormat::pcm(channels, samplesPerSec, 8);
    f.setTag(tag());
    return f;
}

std::unique_ptr<Converter> G711Codec::decoder(const WaveFormat& format) const {
    return std::make_unique<G711Converter>(law_, false, format.channels());
}

std::unique_ptr<Converter> G711Codec::encoder(const WaveFormat& format) const {
    return std::make_unique<G711Converter>(law_, true, format.channels());
}

}  // namespace platform::acm
