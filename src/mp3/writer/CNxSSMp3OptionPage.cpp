#include "mp3/writer/CNxSSMp3OptionPage.h"

#include <algorithm>
#include <cstdio>

#include "mp3/writer/Mp3EncoderInput.h"
#include "stream/ResultCodes.h"

namespace {

using mp3::enc::Mp3Format;

constexpr int kListedQuality = 0;
constexpr int kVbrQualityStep = 20;
constexpr uint32_t kDefaultRate = 44100;
constexpr uint16_t kDefaultChannels = 2;

bool Meets(const Mp3Format& f, const CNxSSFormatChoice::Request& request) {
    return (!request.sampleRate || *request.sampleRate == static_cast<uint32_t>(f.sampleRate)) &&
           (!request.channels || *request.channels == f.channels) &&
           (!request.bitrate || *request.bitrate == static_cast<uint32_t>(f.bitrate));
}

// The entry keeps the current value of every field the request leaves open.
bool Keeps(const Mp3Format& f, const CNxSSFormatChoice::Request& request, const Mp3Format& now) {
    return (request.sampleRate || f.sampleRate == now.sampleRate) &&
           (request.channels || f.channels == now.channels) &&
           (request.bitrate || f.bitrate == now.bitrate);
}

Mp3Format CbrFormat(const mp3::enc::Mp3WriterSettings& s) {
    return {s.sampleRate, s.channels, s.bitrate};
}

}  // namespace

std::string Mp3RefusalText(const mp3::enc::Mp3WriterSettings& settings, int inputRate,
                           int inputChannels) {
    char text[256];
    std::snprintf(text, sizeof text, "%dHz %s の音声から「%s」の MP3 ファイルは作成できません。",
                  inputRate, mp3::enc::channelName(inputChannels), settings.describe().c_str());
    return text;
}

CNxSSMp3OptionPage::CNxSSMp3OptionPage(CNxSSObject* writer, NxRef<CNxSSMp3WriterSettings> settings)
    : CNxSSOptionPage(writer, std::move(settings)) {
    Open();
}

CNxSSMp3WriterSettings& CNxSSMp3OptionPage::Mp3Settings() const {
    return static_cast<CNxSSMp3WriterSettings&>(Settings());
}

std::pair<int, int> CNxSSMp3OptionPage::ListedInput() const {
    platform::WaveFormat source = platform::WaveFormat::pcm(kDefaultChannels, kDefaultRate, 16);
    if (SourceFormat() && SourceFormat()->samplesPerSec() != 0 && SourceFormat()->channels() != 0) {
        source = *SourceFormat();
    }
    const Mp3EncoderInput input = EncoderInputFor(source, false);
    return {static_cast<int>(input.rate), input.channels};
}

void CNxSSMp3OptionPage::Open() {
    OpenFor(ListedInput());
}

void CNxSSMp3OptionPage::EnsureOpen() const {
    if (const auto input = ListedInput(); input != openedFor_) {
        OpenFor(input);
    }
}

void CNxSSMp3OptionPage::OpenFor(std::pair<int, int> input) const {
    const mp3::enc::Mp3WriterSettings s = Mp3Settings().Values();
    const auto handle =
        mp3::enc::Mp3EncoderHandle::create(input.first, input.second, kListedQuality);
    formats_ = handle ? handle->formats() : std::vector<Mp3Format>{};
    const auto current = std::find(formats_.begin(), formats_.end(), CbrFormat(s));
    selection_ = current == formats_.end() ? -1 : static_cast<int>(current - formats_.begin());
    vbr_ = s.vbrMode != 0;
    quality_ = mp3::enc::vbrQualityIndex(s.vbrQuality);
    speed_ = std::clamp(s.quality, 0, kSpeeds - 1);
    copyright_ = s.copyrightBit != 0;
    openedFor_ = input;
}

bool CNxSSMp3OptionPage::VbrMode() const {
    EnsureOpen();
    return vbr_;
}

void CNxSSMp3OptionPage::SetVbrMode(bool vbr) {
    EnsureOpen();
    vbr_ = vbr;
}

const std::vector<Mp3Format>& CNxSSMp3OptionPage::Formats() const {
    EnsureOpen();
    return formats_;
}

std::array<std::string, CNxSSMp3OptionPage::kQualityEntries> CNxSSMp3OptionPage::QualityTexts() {
    std::array<std::string, kQualityEntries> texts;
    for (int i = 0; i < kQualityEntries; ++i) {
        texts[static_cast<size_t>(i)] = mp3::enc::vbrQualityName((i + 1) * kVbrQualityStep);
    }
    return texts;
}

int CNxSSMp3OptionPage::QualitySelection() const {
    EnsureOpen();
    return quality_;
}

void CNxSSMp3OptionPage::SelectQuality(int entry) {
    EnsureOpen();
    if (entry >= 0 && entry < kQualityEntries) {
        quality_ = entry;
    }
}

std::array<std::string, CNxSSMp3OptionPage::kSpeeds> CNxSSMp3OptionPage::SpeedTexts() {
    return {"高速(&H)", "標準(&S)", "高品質(&Q)"};
}

int CNxSSMp3OptionPage::Speed() const {
    EnsureOpen();
    return speed_;
}

void CNxSSMp3OptionPage::SetSpeed(int speed) {
    EnsureOpen();
    if (speed >= 0 && speed < kSpeeds) {
        speed_ = speed;
    }
}

bool CNxSSMp3OptionPage::Copyright() const {
    EnsureOpen();
    return copyright_;
}

void CNxSSMp3OptionPage::SetCopyright(bool on) {
    EnsureOpen();
    copyright_ = on;
}

std::vector<std::string> CNxSSMp3OptionPage::EntryTexts() const {
    std::vector<std::string> texts;
    for (const Mp3Format& f : Formats()) {
        texts.push_back(mp3::enc::formatListText(f.bitrate, f.sampleRate, f.channels));
    }
    return texts;
}

int CNxSSMp3OptionPage::Selection() const {
    EnsureOpen();
    return selection_;
}

void CNxSSMp3OptionPage::Select(int entry) {
    EnsureOpen();
    selection_ = entry >= 0 && static_cast<size_t>(entry) < formats_.size() ? entry : -1;
}

uint32_t CNxSSMp3OptionPage::Apply() {
    EnsureOpen();
    mp3::enc::Mp3WriterSettings s = Mp3Settings().Values();
    s.vbrMode = vbr_ ? 1 : 0;
    if (vbr_) {
        s.vbrQuality = kVbrQualityStep * (quality_ + 1);
    } else if (selection_ < 0) {
        return nxss::kFail;
    } else {
        const Mp3Format& f = formats_[static_cast<size_t>(selection_)];
        s.sampleRate = f.sampleRate;
        s.channels = f.channels;
        s.bitrate = f.bitrate;
    }
    s.copyrightBit = copyright_ ? 1 : 0;
    s.quality = speed_;
    Mp3Settings().SetValues(s);
    errorText_.clear();
    return 0;
}

int CNxSSMp3OptionPage::FindEntry(const Request& request) const {
    const Mp3Format current = CbrFormat(Mp3Settings().Values());
    const auto& formats = Formats();
    int only = -1, count = 0;
    for (size_t i = 0; i < formats.size(); ++i) {
        if (!Meets(formats[i], request)) {
            continue;
        }
        if (Keeps(formats[i], request, current)) {
            return static_cast<int>(i);
        }
        only = static_cast<int>(i);
        ++count;
    }
    return count == 1 ? only : -1;
}

uint32_t CNxSSMp3OptionPage::CheckSettings() {
    const mp3::enc::Mp3WriterSettings s = Mp3Settings().Values();
    const auto [rate, channels] = ListedInput();
    if (channels > kMp3MaxChannels) {
        errorText_ = Mp3ChannelsRefusalText(static_cast<uint16_t>(channels));
        return nxss::kNoEncodeCodec;
    }
    if (s.suits(rate, channels)) {
        errorText_.clear();
        return 0;
    }
    errorText_ = Mp3RefusalText(s, rate, channels);
    return nxss::kNoEncodeCodec;
}
