#include "stream/wave/CNxSSWaveOptionPage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "platform/acm/CodecRegistry.h"
#include "platform/acm/Stream.h"
#include "stream/AcmConversion.h"
#include "stream/RegistryFunctions.h"
#include "stream/ResultCodes.h"

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

bool Meets(const platform::WaveFormat& f, const CNxSSFormatChoice::Request& request) {
    return (!request.sampleRate || *request.sampleRate == f.samplesPerSec()) &&
           (!request.channels || *request.channels == f.channels()) &&
           (!request.bitrate || *request.bitrate == uint64_t{f.avgBytesPerSec()} * 8);
}

// The entry keeps what the request does not ask to change.
bool Keeps(const platform::WaveFormat& f, const CNxSSFormatChoice::Request& request,
           const platform::WaveFormat& current) {
    return f.tag() == current.tag() && f.bitsPerSample() == current.bitsPerSample() &&
           (request.sampleRate || f.samplesPerSec() == current.samplesPerSec()) &&
           (request.channels || f.channels() == current.channels());
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

const std::vector<CNxSSWaveOptionPage::Choice>& CNxSSWaveOptionPage::Choices() const {
    if (!listed_) {
        const auto codecs = platform::acm::CodecRegistry::current();
        for (const auto& tag : FormatTags()) {
            for (auto& entry : Formats(tag.tag)) {
                if (tag.tag != platform::acm::kTagPcm) {
                    entry.text = tag.name + " " + entry.text;
                }
                choices_.push_back({tag.tag, std::move(entry)});
            }
        }
        listed_ = true;
        selection_ = ClosestChoice();
    }
    return choices_;
}

// The closest entry of the settings' tag, or of PCM when that tag is not
// offered.
int CNxSSWaveOptionPage::ClosestChoice() const {
    const platform::WaveFormat& current = WaveSettings().Target();
    const bool offered = std::any_of(choices_.begin(), choices_.end(),
                                     [&](const Choice& c) { return c.tag == current.tag(); });
    const uint16_t tag = offered ? current.tag() : platform::acm::kTagPcm;
    std::vector<Entry> group;
    std::vector<int> index;
    for (size_t i = 0; i < choices_.size(); ++i) {
        if (choices_[i].tag == tag) {
            group.push_back(choices_[i].entry);
            index.push_back(static_cast<int>(i));
        }
    }
    const size_t best = ClosestEntry(group, current);
    return best == kNone ? -1 : index[best];
}

std::vector<std::string> CNxSSWaveOptionPage::EntryTexts() const {
    std::vector<std::string> texts;
    for (const auto& choice : Choices()) {
        texts.push_back(choice.entry.text);
    }
    return texts;
}

int CNxSSWaveOptionPage::Selection() const {
    Choices();
    return selection_;
}

void CNxSSWaveOptionPage::Select(int entry) {
    selection_ = entry >= 0 && static_cast<size_t>(entry) < Choices().size() ? entry : -1;
}

uint32_t CNxSSWaveOptionPage::Apply() {
    if (Selection() < 0) {
        return nxss::kFail;
    }
    WaveSettings().SetTarget(choices_[static_cast<size_t>(selection_)].entry.format);
    errorText_.clear();
    return 0;
}

int CNxSSWaveOptionPage::FindEntry(const Request& request) const {
    const platform::WaveFormat& current = WaveSettings().Target();
    int only = -1, count = 0;
    const auto& choices = Choices();
    for (size_t i = 0; i < choices.size(); ++i) {
        const auto& format = choices[i].entry.format;
        if (!Meets(format, request)) {
            continue;
        }
        if (Keeps(format, request, current)) {
            return static_cast<int>(i);
        }
        only = static_cast<int>(i);
        ++count;
    }
    return count == 1 ? only : -1;
}

uint32_t CNxSSWaveOptionPage::CheckSettings() {
    const auto codecs = platform::acm::CodecRegistry::current();
    const platform::WaveFormat& target = WaveSettings().Target();
    if (Writable(*codecs, target)) {
        errorText_.clear();
        return 0;
    }
    char text[128];
    std::snprintf(text, sizeof text,
                  "形式 0x%04X の WAVE ファイルを作成できる CODEC がありません。", target.tag());
    errorText_ = text;
    return nxss::kNoEncodeCodec;
}
