#include "platform/acm/Pcm16Codec.h"

#include "platform/acm/FormatText.h"
#include "platform/acm/PcmLayout.h"

namespace platform::acm {

namespace {

constexpr uint32_t kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};

bool isPcm16Of(const WaveFormat& pcm, const WaveFormat& coded) {
    const auto layout = PcmLayout::of(pcm);
    return layout && layout->kind == SampleKind::Int16 && layout->channels == coded.channels() &&
           layout->rate == coded.samplesPerSec();
}

}  // namespace

std::vector<FormatTagDetails> Pcm16Codec::formatTags() const {
    return {details()};
}

std::optional<FormatTagDetails> Pcm16Codec::formatTagDetails(uint16_t tag) const {
    auto d = details();
    if (tag != d.tag) {
        return std::nullopt;
    }
    return d;
}

std::vector<WaveFormat> Pcm16Codec::formats(uint16_t tag) const {
    if (tag != details().tag) {
        return {};
    }
    std::vector<WaveFormat> all;
    for (const uint32_t rate : kRates) {
        for (uint16_t channels = 1; channels <= 2; ++channels) {
            all.push_back(standardFormat(channels, rate));
        }
    }
    return all;
}

std::optional<std::string> Pcm16Codec::formatText(const WaveFormat& format) const {
    if (!accepts(format)) {
        return std::nullopt;
    }
    return acm::formatText(format.samplesPerSec(), bitsText(format.bitsPerSample()),
                           format.channels());
}

std::optional<WaveFormat> Pcm16Codec::suggest(const WaveFormat& source,
                                              const SuggestFilter& filter) const {
    const uint16_t tag = details().tag;
    std::optional<WaveFormat> suggestion;
    if (accepts(source) && filter.tag.value_or(kTagPcm) == kTagPcm) {
        suggestion = WaveFormat::pcm(source.channels(), source.samplesPerSec(), 16);
    } else if (filter.tag == tag) {
        if (const auto layout = PcmLayout::of(source)) {
            const uint16_t channels = filter.channels.value_or(layout->channels);
            if (channels == 1 || channels == 2) {
                suggestion = standardFormat(channels, filter.samplesPerSec.value_or(layout->rate));
            }
        }
    }
    if (!suggestion || !filter.admits(*suggestion)) {
        return std::nullopt;
    }
    return suggestion;
}

std::unique_ptr<Converter> Pcm16Codec::open(const WaveFormat& source,
                                            const WaveFormat& destination) const {
    if (accepts(source) && isPcm16Of(destination, source)) {
        return decoder(source);
    }
    if (accepts(destination) && isPcm16Of(source, destination)) {
        return encoder(destination);
    }
    return nullptr;
}

}  // namespace platform::acm
