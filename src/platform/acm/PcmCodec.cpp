#include "platform/acm/PcmCodec.h"

#include "platform/acm/FormatText.h"
#include "platform/acm/PcmConverter.h"
#include "platform/acm/PcmLayout.h"

namespace platform::acm {

namespace {

constexpr uint32_t kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000};
constexpr uint16_t kIntegerBits[] = {8, 16, 24, 32};

// The sample size a suggestion keeps: the source's own where the tag
// allows it; float to integer goes to 24 bits, which holds float's
// precision within full scale.
uint16_t suggestedBits(const PcmLayout& source, uint16_t tag) {
    const uint16_t bits = static_cast<uint16_t>(source.bytesPerSample() * 8);
    if (tag == kTagIeeeFloat) {
        return source.isFloat() ? bits : 32;
    }
    return source.isFloat() ? 24 : bits;
}

}  // namespace

std::vector<FormatTagDetails> PcmCodec::formatTags() const {
    return {*formatTagDetails(kTagPcm), *formatTagDetails(kTagIeeeFloat)};
}

std::optional<FormatTagDetails> PcmCodec::formatTagDetails(uint16_t tag) const {
    switch (tag) {
        case kTagPcm:
            return FormatTagDetails{tag, "PCM", WaveFormat::kHeaderSize};
        case kTagIeeeFloat:
            return FormatTagDetails{tag, "IEEE Float", WaveFormat::kHeaderSize};
        case kTagExtensible:
            return FormatTagDetails{tag, "PCM (Extensible)", 40};
        default:
            return std::nullopt;
    }
}

std::vector<WaveFormat> PcmCodec::formats(uint16_t tag) const {
    std::vector<WaveFormat> all;
    for (const uint32_t rate : kRates) {
        for (uint16_t channels = 1; channels <= 2; ++channels) {
            if (tag == kTagIeeeFloat) {
                all.push_back(PcmLayout{SampleKind::Float32, channels, rate}.format());
                continue;
            }
            for (const uint16_t bits : kIntegerBits) {
                if (tag == kTagPcm) {
                    all.push_back(WaveFormat::pcm(channels, rate, bits));
                }
            }
        }
    }
    return all;
}

std::optional<std::string> PcmCodec::formatText(const WaveFormat& format) const {
    const auto layout = PcmLayout::of(format);
    if (!layout) {
        return std::nullopt;
    }
    std::string sample = bitsText(static_cast<uint16_t>(layout->bytesPerSample() * 8));
    if (layout->isFloat()) {
        sample += " 浮動小数点";
    }
    return acm::formatText(layout->rate, sample, layout->channels);
}

std::optional<WaveFormat> PcmCodec::suggest(const WaveFormat& source,
                                            const SuggestFilter& filter) const {
    const auto layout = PcmLayout::of(source);
    if (!layout) {
        return std::nullopt;
    }
    const uint16_t tag = filter.tag.value_or(kTagPcm);
    const uint16_t bits = filter.bitsPerSample.value_or(suggestedBits(*layout, tag));
    const auto kind = sampleKind(tag, bits);
    if (!kind) {
        return std::nullopt;
    }
    const PcmLayout target{*kind, filter.channels.value_or(layout->channels),
                           filter.samplesPerSec.value_or(layout->rate)};
    if (target.channels == 0 || target.rate == 0 || !PcmConverter::canConvert(*layout, target)) {
        return std::nullopt;
    }
    return target.format();
}

std::unique_ptr<Converter> PcmCodec::open(const WaveFormat& source,
                                          const WaveFormat& destination) const {
    const auto from = PcmLayout::of(source);
    const auto to = PcmLayout::of(destination);
    if (!from || !to || !PcmConverter::canConvert(*from, *to)) {
        return nullptr;
    }
    return std::make_unique<PcmConverter>(*from, *to);
}

}  // namespace platform::acm
