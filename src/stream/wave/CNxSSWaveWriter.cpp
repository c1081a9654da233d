#include "stream/wave/CNxSSWaveWriter.h"

#include <algorithm>
#include <cstdio>

#include "platform/acm/CodecRegistry.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"
#include "stream/wave/CNxSSWaveOptionPage.h"

namespace {

void Check(uint32_t chunkError) {
    if (chunkError != 0) {
        throw CNxSSException(nxss::kFailureBit | nxss::kFacilityMmio | chunkError);
    }
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

}  // namespace

CNxSSWaveWriter::CNxSSWaveWriter(CNxSSObject* parent, std::string outputPath)
    : CNxSSWriter(parent, std::move(outputPath), kPageInterface) {
    SetTag("WAVEWRIT");
    auto settings = NxRef(new CNxSSWaveWriterSettings());
    settings->Load();
    SetOptionPage(MakeNx<CNxSSWaveOptionPage>(this, std::move(settings)));
    converter_ = MakeNx<CNxSSPcmConverter>(this);
    converter_->CreateOutputPin()->Connect(CNxSSComponent::CreateInputPin().get());
    StartThread(kPriorityNormal);
}

CNxSSWaveWriter::~CNxSSWaveWriter() {
    StopThread();
}

NxRef<CNxSSInputPin> CNxSSWaveWriter::CreateInputPin() {
    return converter_->CreateInputPin();
}

void CNxSSWaveWriter::SetOutputFile(NxRef<CNxSSRiffFile> file) {
    if (file_) {
        throw CNxSSException(nxss::kFail);
    }
    file_ = std::move(file);
}

NxRef<CNxSSRiffFile> CNxSSWaveWriter::ReleaseOutputFile() {
    return std::move(file_);
}

platform::WaveFormat CNxSSWaveWriter::Target() const {
    const auto* settings = dynamic_cast<const CNxSSWaveWriterSettings*>(&OptionPage().Settings());
    if (!settings) {
        throw CNxSSException(nxss::kFail);
    }
    return settings->Target();
}

uint32_t CNxSSWaveWriter::DoStart() {
    if (!file_) {
        throw CNxSSException(nxss::kFail);
    }
    const platform::WaveFormat target = Target();
    const platform::WaveFormat upstream = PrepareUpstream(target);
    conversion_.Open(upstream, target, size_t{upstream.blockAlign()} * kPacketFrames,
                     nxss::kNoEncodeCodec);
    packet_ = MakeNx<CNxSSPacket>(this);
    packet_->Allocate(upstream, kPacketFrames);
    frames_ = 0;
    file_->Open(CNxSSRiffFile::kCreate);
    WriteHeader(target);
    return nxss::kStarted;
}

// A compressed target is fed the PCM its codec suggests; the converter
// makes it from whatever the chain delivers.
platform::WaveFormat CNxSSWaveWriter::PrepareUpstream(const platform::WaveFormat& target) {
    converter_->ClearTargetFormat();
    platform::WaveFormat upstream;
    if (!GetFormat(upstream) || upstream.channels() == 0 || upstream.avgBytesPerSec() == 0) {
        throw CNxSSException(nxss::kFail);
    }
    if (target.tag() == platform::kWaveFormatPcm) {
        return upstream;
    }
    const auto pcm = SuggestPcm(*platform::acm::CodecRegistry::current(), target);
    if (!pcm) {
        throw CNxSSException(nxss::kNoEncodeCodec);
    }
    if (!(*pcm == upstream)) {
        converter_->SetTargetFormat(pcm->channels(), pcm->samplesPerSec(), pcm->bitsPerSample());
        GetFormat(upstream);
    }
    return upstream;
}

void CNxSSWaveWriter::WriteHeader(const platform::WaveFormat& target) {
    riff_ = RiffChunk{.formType = riff::kWave};
    Check(file_->CreateChunk(riff_, riff::kCreateRiff));
    RiffChunk format{.id = riff::kFmt, .size = static_cast<uint32_t>(target.size())};
    Check(file_->CreateChunk(format, 0));
    file_->Write(target.bytes().data(), target.size());
    Check(file_->Ascend(format));
    hasFact_ = target.tag() != platform::kWaveFormatPcm;
    if (hasFact_) {
        fact_ = RiffChunk{.id = riff::kFact, .size = 4};
        const uint8_t zero[4] = {};
        Check(file_->CreateChunk(fact_, 0));
        file_->Write(zero, sizeof zero);
        Check(file_->Ascend(fact_));
    }
    data_ = RiffChunk{.id = riff::kData};
    Check(file_->CreateChunk(data_, 0));
}

uint32_t CNxSSWaveWriter::DoTick() {
    CNxSSComponent::Read(*packet_);
    frames_ += packet_->Frames();
    if (!packet_->EndOfStream()) {
        Take(std::span<const uint8_t>(packet_->Data(), packet_->Bytes()));
        return 0;
    }
    for (auto step = conversion_.Drain(); step.progressed; step = conversion_.Drain()) {
        WriteOutput(step.output);
    }
    Finish();
    return nxss::kFinished;
}

void CNxSSWaveWriter::Take(std::span<const uint8_t> pcm) {
    while (!pcm.empty()) {
        const size_t taken = conversion_.Append(pcm);
        pcm = pcm.subspan(taken);
        const auto step = conversion_.Convert();
        if (taken == 0 && !step.progressed) {
            throw CNxSSException(nxss::kInternal);
        }
        WriteOutput(step.output);
    }
}

void CNxSSWaveWriter::WriteOutput(std::span<const uint8_t> bytes) {
    if (!bytes.empty()) {
        file_->Write(bytes.data(), bytes.size());
    }
}

// The sizes and the frame count go into the temporary file before it
// replaces the target, so the target is never seen incomplete.
void CNxSSWaveWriter::Finish() {
    conversion_.Close();
    Check(file_->Ascend(data_));
    Check(file_->Ascend(riff_));
    if (hasFact_) {
        uint8_t frames[4];
        PutLe32(frames, static_cast<uint32_t>(std::min<uint64_t>(frames_, 0xFFFFFFFFu)));
        file_->Seek(static_cast<int64_t>(fact_.dataOffset), SEEK_SET);
        file_->Write(frames, sizeof frames);
    }
    file_->Close();
    ReleasePacket();
    frames_ = 0;
}

void CNxSSWaveWriter::DoAbort() {
    conversion_.Close();
    if (file_) {
        file_->Abort();
    }
    ReleasePacket();
    frames_ = 0;
}

void CNxSSWaveWriter::ReleasePacket() {
    if (packet_) {
        packet_->SetParent(nullptr);
        packet_.reset();
    }
}
