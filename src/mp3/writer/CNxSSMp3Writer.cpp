#include "mp3/writer/CNxSSMp3Writer.h"

#include <algorithm>

#include "stream/CNxSSDetailedException.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"

namespace {

constexpr int kSpeeds = 3;
constexpr int kLowestVbrQuality = 1;
constexpr int kHighestVbrQuality = 100;
// What an out-of-range VBR quality is described as, so it is what we encode.
constexpr int kFallbackVbrQuality = 60;

NxRef<CNxSSMp3WriterSettings> StoredSettings() {
    NxRef<CNxSSMp3WriterSettings> settings(new CNxSSMp3WriterSettings());
    settings->Load();
    return settings;
}

}  // namespace

CNxSSMp3Writer::CNxSSMp3Writer(CNxSSObject* parent, std::string outputPath)
    : CNxSSWriter(parent, std::move(outputPath), kPageInterface), output_(kOutputBytes) {
    SetTag("MP3WRITE");
    SetOptionPage(MakeNx<CNxSSMp3OptionPage>(this, StoredSettings()));
    converter_ = MakeNx<CNxSSPcmConverter>(this);
    converter_->CreateOutputPin()->Connect(CNxSSComponent::CreateInputPin().get());
    StartThread(kPriorityNormal);
}

CNxSSMp3Writer::~CNxSSMp3Writer() {
    StopThread();
}

NxRef<CNxSSInputPin> CNxSSMp3Writer::CreateInputPin() {
    return converter_->CreateInputPin();
}

void CNxSSMp3Writer::SetOutputFile(NxRef<CNxSSMp3File> file) {
    if (file_) {
        throw CNxSSException(nxss::kFail);
    }
    file_ = std::move(file);
}

NxRef<CNxSSMp3File> CNxSSMp3Writer::ReleaseOutputFile() {
    return std::move(file_);
}

std::string CNxSSMp3Writer::LastErrorText() const {
    std::lock_guard lock(errorMutex_);
    return errorText_;
}

void CNxSSMp3Writer::SetErrorText(std::string text) {
    std::lock_guard lock(errorMutex_);
    errorText_ = std::move(text);
}

void CNxSSMp3Writer::Fail(const std::string& text) {
    SetErrorText(text);
    throw CNxSSDetailedException(nxss::kFail, text);
}

mp3::enc::Mp3WriterSettings CNxSSMp3Writer::CurrentSettings() const {
    const auto* settings = dynamic_cast<const CNxSSMp3WriterSettings*>(&OptionPage().Settings());
    if (settings == nullptr) {
        throw CNxSSException(nxss::kFail);
    }
    return settings->Values();
}

// The encoder is made before the file, so a refused format leaves nothing
// behind, not even a temporary file.
uint32_t CNxSSMp3Writer::DoStart() {
    SetErrorText({});
    if (!file_) {
        throw CNxSSException(nxss::kFail);
    }
    const mp3::enc::Mp3WriterSettings settings = CurrentSettings();
    vbr_ = settings.vbrMode != 0;
    const Mp3EncoderInput input = PrepareInput(vbr_);
    CreateEncoder(input, settings);
    packet_ = Manager() ? Manager()->CreatePacket(this) : MakeNx<CNxSSPacket>(this);
    packet_->Allocate(platform::WaveFormat::pcm(input.channels, input.rate, 16), kPacketFrames);
    file_->Open(CNxSSMp3File::kCreate);
    Write(HeaderFrame());
    return nxss::kStarted;
}

Mp3EncoderInput CNxSSMp3Writer::PrepareInput(bool vbr) {
    converter_->ClearTargetFormat();
    platform::WaveFormat upstream;
    if (!GetFormat(upstream) || upstream.channels() == 0 || upstream.samplesPerSec() == 0) {
        throw CNxSSException(nxss::kFail);
    }
    const Mp3EncoderInput input = EncoderInputFor(upstream, vbr);
    if (input.channels > kMp3MaxChannels) {
        Fail(Mp3ChannelsRefusalText(input.channels));
    }
    if (input.converted) {
        converter_->SetTargetFormat(input.channels, input.rate, 16);
    }
    return input;
}

void CNxSSMp3Writer::CreateEncoder(const Mp3EncoderInput& input,
                                   const mp3::enc::Mp3WriterSettings& s) {
    encoder_ = mp3::enc::Mp3EncoderHandle::create(input.rate, input.channels,
                                                  std::clamp(s.quality, 0, kSpeeds - 1));
    if (!encoder_) {
        Fail(Mp3RefusalText(s, static_cast<int>(input.rate), input.channels));
    }
    if (!vbr_ && !encoder_->setOutputFormat(s.sampleRate, s.channels, s.bitrate)) {
        Fail(Mp3RefusalText(s, static_cast<int>(input.rate), input.channels));
    }
    mp3::enc::Mp3EncoderConfig config = encoder_->config();
    config.allowIntensity = s.allowIntensity;
    config.allowMidSide = s.allowMidside;
    config.copyright = s.copyrightBit;
    config.original = s.originalBit;
    if (vbr_) {
        const bool valid = s.vbrQuality >= kLowestVbrQuality && s.vbrQuality <= kHighestVbrQuality;
        config.vbrQuality = valid ? s.vbrQuality : kFallbackVbrQuality;
    }
    if (!encoder_->setConfig(config)) {
        Fail(encoder_->lastError());
    }
}

uint32_t CNxSSMp3Writer::DoTick() {
    if (!encoder_ || !packet_) {
        throw CNxSSException(nxss::kFail);
    }
    Read(*packet_);
    if (!packet_->EndOfStream()) {
        Encode({packet_->Data(), packet_->Bytes()});
        return 0;
    }
    Flush();
    Finish();
    return nxss::kFinished;
}

void CNxSSMp3Writer::Encode(std::span<const uint8_t> pcm) {
    while (!pcm.empty()) {
        size_t used = 0;
        const int written =
            encoder_->encode(pcm.data(), pcm.size(), &used, output_.data(), output_.size());
        if (written < 0) {
            Fail(encoder_->lastError());
        }
        if (written == 0 && used == 0) {
            throw CNxSSException(nxss::kInternal);  // the encoder would never take the rest
        }
        Write(static_cast<size_t>(written));
        pcm = pcm.subspan(used);
    }
}

void CNxSSMp3Writer::Flush() {
    for (;;) {
        const int written = encoder_->encode(nullptr, 0, nullptr, output_.data(), output_.size());
        if (written < 0) {
            Fail(encoder_->lastError());
        }
        if (written == 0) {
            return;
        }
        Write(static_cast<size_t>(written));
    }
}

void CNxSSMp3Writer::Write(size_t bytes) {
    if (bytes != 0) {
        file_->Write(output_.data(), bytes);
    }
}

// The header frame with the counts so far: "VBRI" in VBR mode, else "Info".
size_t CNxSSMp3Writer::HeaderFrame() {
    return vbr_ ? encoder_->vbriHeader(output_.data(), output_.size())
                : encoder_->infoHeader(output_.data(), output_.size());
}

// The header frame gets the final counts before the file replaces the
// target, so the target is never seen with a provisional header.
void CNxSSMp3Writer::Finish() {
    const size_t header = HeaderFrame();
    file_->Seek(0, CNxSSMp3File::kBegin);
    Write(header);
    encoder_.reset();
    file_->CloseAndCommit();
    ReleasePacket();
}

void CNxSSMp3Writer::DoAbort() {
    encoder_.reset();
    if (file_) {
        file_->CloseAndDiscard();
    }
    ReleasePacket();
}

void CNxSSMp3Writer::ReleasePacket() {
    if (packet_) {
        packet_->SetParent(nullptr);
        packet_.reset();
    }
}
