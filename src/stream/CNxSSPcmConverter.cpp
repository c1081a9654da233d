#include "stream/CNxSSPcmConverter.h"

#include <algorithm>
#include <cstring>

#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

CNxSSPcmConverter::CNxSSPcmConverter(CNxSSObject* parent) : CNxSSComponent(parent) {
    SetTag("PCMCONV ");
}

void CNxSSPcmConverter::SetTargetFormat(uint16_t channels, uint32_t samplesPerSec,
                                        uint16_t bitsPerSample) {
    std::lock_guard lock(lock_);
    target_ = platform::WaveFormat::pcm(channels, samplesPerSec, bitsPerSample);
}

void CNxSSPcmConverter::ClearTargetFormat() {
    std::lock_guard lock(lock_);
    CloseConversion();
    target_.reset();
}

bool CNxSSPcmConverter::GetFormat(platform::WaveFormat& format) {
    std::lock_guard lock(lock_);
    if (!CNxSSComponent::GetFormat(format)) {
        return false;
    }
    if (target_ && !(*target_ == format)) {
        format = *target_;
    }
    return true;
}

// Held audio: input not yet converted (at the source's byte rate) and
// output not yet delivered (at the target's).
int32_t CNxSSPcmConverter::GetPosition() {
    if (!converting_) {
        return CNxSSComponent::GetPosition();
    }
    std::lock_guard lock(lock_);
    const int32_t upstream = CNxSSComponent::GetPosition();
    if (!Converting() || source_.avgBytesPerSec() == 0 || target_->avgBytesPerSec() == 0) {
        return upstream;
    }
    const double heldInput = static_cast<double>(packetLeft_.size() + conversion_.Pending());
    const double held = heldInput / source_.avgBytesPerSec() +
                        static_cast<double>(undelivered_.size()) / target_->avgBytesPerSec();
    return std::max(0, upstream - static_cast<int32_t>(held * 1000));
}

int32_t CNxSSPcmConverter::SetPosition(int32_t ms) {
    std::lock_guard lock(lock_);
    DropHeldAudio();
    return CNxSSComponent::SetPosition(ms);
}

void CNxSSPcmConverter::DropHeldAudio() {
    packetLeft_ = {};
    undelivered_ = {};
    upstreamEnded_ = false;
    if (Converting()) {
        conversion_.Restart();
    }
}

void CNxSSPcmConverter::SetState(int32_t state) {
    std::lock_guard lock(lock_);
    CNxSSComponent::SetState(state);
    if (state == kRunning && target_ && !Converting()) {
        OpenConversion();
    } else if (state == kStopped) {
        CloseConversion();
    }
}

// A target equal to the source leaves the converter transparent.
void CNxSSPcmConverter::OpenConversion() {
    platform::WaveFormat source;
    if (!CNxSSComponent::GetFormat(source) || *target_ == source) {
        return;
    }
    if (source.blockAlign() == 0) {
        throw CNxSSException(nxss::kNoPlaybackCodec);
    }
    conversion_.Open(source, *target_, size_t{source.blockAlign()} * kPacketFrames,
                     nxss::kNoPlaybackCodec);
    converting_ = true;
    source_ = source;
    packet_ = MakeNx<CNxSSPacket>(this);
    packet_->Allocate(source, kPacketFrames);
    DropHeldAudio();
}

void CNxSSPcmConverter::CloseConversion() {
    conversion_.Close();
    converting_ = false;
    DropHeldAudio();
    if (packet_) {
        packet_->SetParent(nullptr);
        packet_.reset();
    }
}

void CNxSSPcmConverter::Read(CNxSSPacket& packet) {
    std::lock_guard lock(lock_);
    if (!Converting()) {
        CNxSSComponent::Read(packet);
        return;
    }
    const uint32_t blockAlign = packet.Format().blockAlign();
    const size_t wanted = size_t{packet.Capacity()} * blockAlign;
    size_t delivered = 0;
    while (delivered < wanted) {
        if (undelivered_.empty() && !Refill()) {
            break;
        }
        const size_t n = std::min(wanted - delivered, undelivered_.size());
        std::memcpy(packet.Data() + delivered, undelivered_.data(), n);
        undelivered_ = undelivered_.subspan(n);
        delivered += n;
    }
    packet.SetFrames(blockAlign ? static_cast<uint32_t>(delivered / blockAlign) : 0);
}

// Converts the next piece of upstream audio; false once upstream has ended
// and the codec has given out everything it held.
bool CNxSSPcmConverter::Refill() {
    if (packetLeft_.empty() && !upstreamEnded_) {
        CNxSSComponent::Read(*packet_);
        packetLeft_ = std::span<const uint8_t>(packet_->Data(), packet_->Bytes());
        upstreamEnded_ = packet_->EndOfStream();
    }
    if (packetLeft_.empty()) {
        const auto step = conversion_.Drain();
        undelivered_ = step.output;
        return step.progressed;
    }
    const size_t taken = conversion_.Append(packetLeft_);
    packetLeft_ = packetLeft_.subspan(taken);
    const auto step = conversion_.Convert();
    if (taken == 0 && !step.progressed) {
        throw CNxSSException(nxss::kInternal);
    }
    undelivered_ = step.output;
    return true;
}
