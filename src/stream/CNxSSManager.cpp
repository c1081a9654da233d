#include "stream/CNxSSManager.h"

#include <algorithm>
#include <cstdlib>

#include "stream/CNxSSException.h"
#include "stream/CNxSSSilenceSource.h"
#include "stream/CNxSSWaveOut.h"
#include "stream/FileFormat.h"
#include "stream/ResultCodes.h"
#include "stream/SourceName.h"

namespace {

// Levels beyond this are no band level a listener set; they are held here
// so that a damaged setting cannot drive the filters wild.
constexpr double kLevelLimitDb = 20;
// The gain arrives in fifths of a dB (the gain slider's position -10..+10
// times 5). A value beyond that is none the slider sends (the player starts
// at 100 before any slider has spoken) and adds no gain, rather than a loud
// surprise.
constexpr double kGainStepsPerDb = 5;
constexpr int32_t kGainLimit = 50;

dsp::EqualizerSettings toSettings(const CNxSSManager::Equalizer& equalizer) {
    dsp::EqualizerSettings settings;
    for (size_t b = 0; b < equalizer.bandsDb.size(); ++b) {
        settings.levelsDb[b] =
            std::clamp<double>(equalizer.bandsDb[b], -kLevelLimitDb, kLevelLimitDb);
    }
    settings.gainDb =
        std::abs(equalizer.extra) <= kGainLimit ? equalizer.extra / kGainStepsPerDb : 0;
    settings.enabled = equalizer.enabled;
    return settings;
}

}  // namespace

CNxSSManager::CNxSSManager(CNxSSComponentCatalog catalog,
                           std::shared_ptr<platform::WaveOutDriver> driver)
    : CNxSSObject(nullptr),
      catalog_(std::move(catalog)),
      driver_(driver ? std::move(driver) : platform::WaveOutDriver::current()) {
    SetTag("MANAGER ");
    SetManager(this);
}

CNxSSManager::~CNxSSManager() {
    ReleaseChain();
}

NxRef<CNxSSPacket> CNxSSManager::CreatePacket(CNxSSObject* owner) {
    return MakeNx<CNxSSPacket>(owner);
}

uint32_t CNxSSManager::OpenSource(const std::string& name, NxRef<CNxSSComponent>& source) {
    std::lock_guard lock(lock_);
    try {
        source = MakeSource(name);
        return source ? 0 : nxss::kNoDecoder;
    } catch (const CNxSSException& e) {
        return e.Code();
    }
}

NxRef<CNxSSComponent> CNxSSManager::MakeSource(const std::string& name) {
    if (const auto silenceMs = nxss::parseSilenceName(name)) {
        return MakeNx<CNxSSSilenceSource>(this, *silenceMs);
    }
    const std::string ext = nxss::lowerExtension(name);
    if (ext == "cda") {
        const auto track = nxss::parseCdTrackName(name);
        return track && catalog_.cd ? catalog_.cd(*this, track->drive, track->track)
                                    : NxRef<CNxSSComponent>();
    }
    nxss::FileFormat format = nxss::formatOfExtension(ext);
    if (format == nxss::FileFormat::None) {
        format = nxss::sniffFileFormat(name);
    }
    switch (format) {
        case nxss::FileFormat::Mp3:
            if (catalog_.mp3) {
                try {
                    return catalog_.mp3(*this, name);
                } catch (const CNxSSException&) {
                    throw CNxSSException(nxss::kNoDecoder);  // not a file the MP3 reader takes
                }
            }
            break;
        case nxss::FileFormat::Riff:
            return catalog_.riff ? catalog_.riff(*this, name) : NxRef<CNxSSComponent>();
        case nxss::FileFormat::Wma:
            return catalog_.wma ? catalog_.wma(*this, name) : NxRef<CNxSSComponent>();
        case nxss::FileFormat::Media:
            return catalog_.media ? catalog_.media(*this, name) : NxRef<CNxSSComponent>();
        case nxss::FileFormat::None:
            break;
    }
    return {};
}

uint32_t CNxSSManager::CreateChain(const std::string& sourceName, const std::string& outputPath,
                                   int32_t sinkKind) {
    std::lock_guard lock(lock_);
    if (sourceName.empty() && outputPath.empty()) {
        return nxss::kFail;
    }
    ReleaseChain();
    try {
        NxRef<CNxSSComponent> source;
        if (!sourceName.empty() && !(source = MakeSource(sourceName))) {
            return nxss::kNoDecoder;
        }
        NxRef<CNxSSActiveComponent> sink = MakeSink(sinkKind, outputPath);
        if (source && sink) {
            if (const uint32_t rc = Connect(source.get(), sink.get())) {
                Drop(std::move(sink));
                Drop(std::move(source));
                return rc;
            }
        }
        source_ = std::move(source);
        sink_ = std::move(sink);
        return 0;
    } catch (const CNxSSException& e) {
        return e.Code();
    }
}

uint32_t CNxSSManager::CreateChainFor(const std::string& sourceName,
                                      const std::string& outputPath) {
    return CreateChain(sourceName, outputPath, SinkKindFor(outputPath));
}

int32_t CNxSSManager::SinkKindFor(const std::string& outputPath) {
    if (outputPath.empty()) {
        return kSinkRenderer;
    }
    const std::string ext = nxss::lowerExtension(outputPath);
    if (ext == "mp3")
        return kSinkMp3;
    if (ext == "wma")
        return kSinkWma;
    if (ext == "wav")
        return kSinkWave;
    return kSinkNone;
}

NxRef<CNxSSActiveComponent> CNxSSManager::MakeSink(int32_t sinkKind,
                                                   const std::string& outputPath) {
    const auto make = [&](const CNxSSComponentCatalog::SinkMaker& maker) {
        return maker ? maker(*this, outputPath) : NxRef<CNxSSActiveComponent>();
    };
    switch (sinkKind) {
        case kSinkRenderer: {
            auto renderer = MakeNx<CNxSSWaveOut>(this, driver_);
            renderer->SetEqualizer(toSettings(equalizer_));
            return renderer;
        }
        case kSinkMp3:
            return make(catalog_.mp3Writer);
        case kSinkWave:
            return make(catalog_.waveWriter);
        case kSinkWma:
            return make(catalog_.wmaWriter);
        default:
            return {};
    }
}

uint32_t CNxSSManager::Connect(CNxSSComponent* source, CNxSSComponent* sink) {
    std::lock_guard lock(lock_);
    if (!source || !sink) {
        return nxss::kFail;
    }
    try {
        NxRef<CNxSSInputPin> input = sink->CreateInputPin();
        NxRef<CNxSSOutputPin> output = source->CreateOutputPin();
        if (!input || !output) {
            return nxss::kFail;
        }
        output->Connect(input.get());
        return 0;
    } catch (const CNxSSException& e) {
        return e.Code();
    }
}

int32_t CNxSSManager::GetLength() {
    std::lock_guard lock(lock_);
    return sink_ ? sink_->GetLength() : 0;
}

int32_t CNxSSManager::GetPosition() {
    std::lock_guard lock(lock_);
    return sink_ ? sink_->GetPosition() : 0;
}

// Commands fail only when the sink has no worker thread any more.
template <typename Call>
uint32_t CNxSSManager::CommandSink(Call call) {
    std::lock_guard lock(lock_);
    if (!sink_) {
        return 0;
    }
    try {
        call(*sink_);
        return 0;
    } catch (const CNxSSException& e) {
        return e.Code();
    }
}

uint32_t CNxSSManager::Start() {
    return CommandSink([](CNxSSActiveComponent& sink) { sink.Start(); });
}
uint32_t CNxSSManager::StartAt(int32_t ms) {
    return CommandSink([ms](CNxSSActiveComponent& sink) { sink.StartAt(ms); });
}
uint32_t CNxSSManager::Stop() {
    return CommandSink([](CNxSSActiveComponent& sink) { sink.Stop(); });
}
uint32_t CNxSSManager::Pause() {
    return CommandSink([](CNxSSActiveComponent& sink) { sink.Pause(); });
}
uint32_t CNxSSManager::Seek(int32_t ms) {
    return CommandSink([ms](CNxSSActiveComponent& sink) { sink.Seek(ms); });
}

uint32_t CNxSSManager::SetVolume(uint32_t volume) {
    std::lock_guard lock(lock_);
    return sink_ ? sink_->SetVolume(volume) : 0;
}

int32_t CNxSSManager::GetStatus() {
    std::lock_guard lock(lock_);
    return sink_ ? sink_->GetStatus() : 0;
}

uint32_t CNxSSManager::GetOutputFormat(platform::WaveFormat& format) {
    std::lock_guard lock(lock_);
    return sink_ ? sink_->GetOutputFormat(format) : 0;
}

uint32_t CNxSSManager::CopyPlayingData(void* buffer, uint32_t frames) {
    std::lock_guard lock(lock_);
    return sink_ ? sink_->CopyPlayingData(buffer, frames) : 0;
}

uint32_t CNxSSManager::GetInterface(uint32_t id, void** out) {
    std::lock_guard lock(lock_);
    return sink_ ? sink_->GetInterface(id, out) : nxss::kFail;
}

uint32_t CNxSSManager::Advise(platform::MessageTarget* window, uint32_t message, intptr_t lParam) {
    std::lock_guard lock(lock_);
    if (sink_) {
        sink_->Advise(window, message, lParam);
    }
    return 0;
}

uint32_t CNxSSManager::GetInfo(const std::string& name, NxRef<CNxSSInfo>& info) {
    std::lock_guard lock(lock_);
    info.reset();
    if (name.empty()) {
        return source_ ? source_->GetInfo(info) : nxss::kFail;
    }
    try {
        NxRef<CNxSSComponent> source = MakeSource(name);
        if (!source) {
            return nxss::kNoDecoder;
        }
        const uint32_t rc = source->GetInfo(info);
        Drop(std::move(source));
        return rc;
    } catch (const CNxSSException& e) {
        return e.Code();
    }
}

void CNxSSManager::SetEqualizer(const Equalizer& equalizer) {
    std::lock_guard lock(lock_);
    equalizer_ = equalizer;
    if (auto* renderer = dynamic_cast<CNxSSWaveOut*>(sink_.get())) {
        renderer->SetEqualizer(toSettings(equalizer));
    }
}

uint32_t CNxSSManager::SetGain(float factor) {
    std::lock_guard lock(lock_);
    auto* renderer = dynamic_cast<CNxSSWaveOut*>(sink_.get());
    if (!renderer) {
        return nxss::kFail;
    }
    renderer->SetGain(factor);
    return 0;
}

uint32_t CNxSSManager::Follow(CNxSSManager& next, float gain) {
    std::lock_guard lock(lock_);
    auto* renderer = dynamic_cast<CNxSSWaveOut*>(sink_.get());
    NxRef<CNxSSComponent> source(next.Source());
    return renderer && renderer->Follow(std::move(source), gain) ? 0 : nxss::kFail;
}

bool CNxSSManager::Unfollow() {
    std::lock_guard lock(lock_);
    auto* renderer = dynamic_cast<CNxSSWaveOut*>(sink_.get());
    return !renderer || renderer->Unfollow();
}

CNxSSManager::Equalizer CNxSSManager::GetEqualizer() const {
    std::lock_guard lock(lock_);
    return equalizer_;
}

// The sink goes first so that its worker stops before its source does.
void CNxSSManager::ReleaseChain() {
    Drop(std::move(sink_));
    Drop(std::move(source_));
}

void CNxSSManager::Drop(NxRef<CNxSSComponent> component) {
    if (component) {
        component->SetParent(nullptr);
    }
}
