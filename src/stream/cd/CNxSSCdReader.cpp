#include "stream/cd/CNxSSCdReader.h"

#include <algorithm>
#include <cstring>

#include "stream/CNxSSException.h"
#include "stream/CNxSSPacket.h"
#include "stream/ResultCodes.h"

CNxSSCdReader::CNxSSCdReader(CNxSSObject* parent, const platform::cd::DriveListOptions& drives)
    : CNxSSComponent(parent), drives_(drives) {
    SetTag("CDDAREAD");
}

void CNxSSCdReader::Open(int driveNumber, int track) {
    platform::cd::CdError error = platform::cd::CdError::None;
    auto opened = platform::cd::CdTrack::open(drives_, driveNumber, track,
                                              platform::cd::ReadMode::Verified, error);
    if (!opened) {
        throw CNxSSException(error == platform::cd::CdError::NoSuchDrive ? nxss::kNoSuchDrive
                                                                         : nxss::kCdReadError);
    }
    Open(std::move(opened));
}

void CNxSSCdReader::Open(std::unique_ptr<platform::cd::CdTrack> track) {
    std::lock_guard lock(lock_);
    track_ = std::move(track);
    buffer_ = std::make_unique<std::array<uint8_t, kBufferBytes>>();
    current_ = track_->firstSector();
    bufferOffset_ = bufferCount_ = 0;
    positionMs_ = 0;
    lengthMs_ = static_cast<int32_t>(track_->lengthMs());
}

int32_t CNxSSCdReader::GetLength() {
    return lengthMs_;
}

int32_t CNxSSCdReader::GetPosition() {
    return static_cast<int32_t>(positionMs_.load());
}

// Whole-second resolution, as the track is addressed by sectors.
int32_t CNxSSCdReader::SetPosition(int32_t ms) {
    std::lock_guard lock(lock_);
    const int32_t previous = static_cast<int32_t>(positionMs_.load());
    if (!track_) {
        positionMs_ = ms;
        return previous;
    }
    const uint32_t seconds = ms > 0 ? static_cast<uint32_t>(ms / 1000) : 0;
    const uint32_t sectors = std::min<uint64_t>(
        uint64_t{seconds} * kBytesPerSecond / platform::cd::kSectorBytes, track_->sectorCount());
    current_ = track_->firstSector() + sectors;
    bufferOffset_ = bufferCount_ = 0;
    positionMs_ = double(uint64_t{sectors} * platform::cd::kSectorBytes / kBytesPerSecond) * 1000;
    return previous;
}

void CNxSSCdReader::Read(CNxSSPacket& packet) {
    std::lock_guard lock(lock_);
    const size_t wanted = size_t{packet.Capacity()} * packet.Format().blockAlign();
    size_t delivered = 0;
    while (track_ && delivered < wanted) {
        if (bufferOffset_ < bufferCount_) {
            const size_t n = std::min(wanted - delivered, bufferCount_ - bufferOffset_);
            std::memcpy(packet.Data() + delivered, buffer_->data() + bufferOffset_, n);
            bufferOffset_ += n;
            delivered += n;
            positionMs_ = positionMs_ + double(n) / kBytesPerSecond * 1000;
        } else if (!FillBuffer()) {
            break;
        }
    }
    packet.SetFrames(static_cast<uint32_t>(delivered / packet.Format().blockAlign()));
}

// Reads the next sectors; false at the end of the track.
bool CNxSSCdReader::FillBuffer() {
    if (current_ >= track_->endSector()) {
        return false;
    }
    const auto sectors = track_->read(current_, platform::cd::CdTrack::kSectorsPerRead, *buffer_);
    if (!sectors) {
        throw CNxSSException(nxss::kCdReadError);
    }
    current_ += *sectors;
    bufferOffset_ = 0;
    bufferCount_ = size_t{*sectors} * platform::cd::kSectorBytes;
    return *sectors > 0;
}

bool CNxSSCdReader::GetFormat(platform::WaveFormat& format) {
    format = platform::WaveFormat::pcm(2, 44100, 16);
    return true;
}

void CNxSSCdReader::SetState(int32_t state) {
    const int32_t before = GetState();
    if (state == before) {
        return;
    }
    CNxSSComponent::SetState(state);
    if (before == kStopped && state == kRunning) {
        SetPosition(GetPosition());
    }
}
