#include "stream/CNxSSWaveOptionPage.h"

#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "platform/acm/CodecRegistry.h"
#include "platform/acm/Stream.h"
#include "stream/AcmConversion.h"
#include "stream/RegistryFunctions.h"

namespace {

constexpr uint32_t kPcmRates[] = {8000, 11025, 22050, 32000, 44100, 48000};
constexpr uint16_t kPcmBits[] = {8, 16};

std::string PcmText(uint32_t rate, uint16_t bits, uint16_t channels) {
    char text[64];
    std::snprintf(text, sizeof text, "%d.%03dHz, %d ﾋﾞｯﾄ, %s", static_cast<int>(rate / 1000),
                  static_cast<int>(rate % 1000), bits, channels == 1 ? "ﾓﾉﾗﾙ" : "ｽﾃﾚｵ");
    return text;
}

// True when PCM can be turned into `format`: a PCM suggestion exists and a
// conversion from it opens.
bool Writable(const platform::acm::CodecRegistry& codecs, const platform::WaveFormat& format) {
    const auto pcm = SuggestPcm(codecs, format);
    platform::acm::Stream probe;
    return pcm && probe.open(codecs, *pcm, format) == platform::acm::kOk;
}

}  // namespace

CNxSSWaveOptionPage::CNxSSWaveOptionPage(CNxSSObject* writer,
                                         NxRef<CNxSSWaveWriterSettings> settings)
    : CNxSSOptionPage(writer, std::move(settings)) {}

CNxSSWaveWriterSettings& CNxSSWaveOptionPage::WaveSettings() const {
    return static_cast<CNxSSWaveWriterSettings&>(Settings());
}

bool CNxSSWaveOptionPage::CodecsEnabled() {
    return nxss::ReadDword(CNxSSWaveWriterSettings::kSubkey, "EnableCodec", 0) != 0;
}

std::vector<platform::acm::FormatTagDetails> CNxSSWaveOptionPage::FormatTags() const {
    const auto codecs = platform::acm::CodecRegistry::current();
    std::vector<platform::acm::FormatTagDetails> tags;
    if (auto pcm = codecs->formatTagDetails(platform::acm::kTagPcm)) {
        tags.push_back(std::move(*pcm));
    }
    if (!CodecsEnabled()) {
        return tags;
    }
    for (auto& tag : codecs->formatTags()) {
        if (tag.tag != platform::acm::kTagPcm && !CodecFormats(tag.tag).empty()) {
            tags.push_back(std::move(tag));
        }
    }
    return tags;
}

std::vector<CNxSSWaveOptionPage::Entry> CNxSSWaveOptionPage::Formats(uint16_t tag) {
    return tag == platform::acm::kTagPcm ? PcmFormats() : CodecFormats(tag);
}

std::vector<CNxSSWaveOptionPage::Entry> CNxSSWaveOptionPage::PcmFormats() {
    std::vector<Entry> entries;
    for (const uint32_t rate : kPcmRates) {
        for (const uint16_t bits : kPcmBits) {
            for (uint16_t channels = 1; channels <= 2; ++channels) {
                entries.push_back({platform::WaveFormat::pcm(channels, rate, bits),
                                   PcmText(rate, bits, channels)});
            }
        }
    }
    return entries;
}

std::vector<CNxSSWaveOptionPage::Entry> CNxSSWaveOptionPage::CodecFormats(uint16_t tag) {
    const auto codecs = platform::acm::CodecRegistry::current();
    std::vector<Entry> entries;
    for (auto& candidate : codecs->formats(tag)) {
        if (Writable(*codecs, candidate.format)) {
            entries.push_back({std::move(candidate.format), std::move(candidate.text)});
        }
    }
    return entries;
}

size_t CNxSSWaveOptionPage::ClosestEntry(const std::vector<Entry>& entries,
                                         const platform::WaveFormat& current) {
    const auto distance = [&](const platform::WaveFormat& f) {
        return std::make_tuple(std::abs(int64_t{f.channels()} - current.channels()),
                               std::abs(int64_t{f.samplesPerSec()} - current.samplesPerSec()),
                               std::abs(int64_t{f.bitsPerSample()} - current.bitsPerSample()));
    };
    size_t best = kNone;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (best == kNone || distance(entries[i].format) < distance(entries[best].format)) {
            best = i;
        }
    }
    return best;
}
