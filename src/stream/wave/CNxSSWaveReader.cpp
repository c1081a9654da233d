#include "stream/wave/CNxSSWaveReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/acm/CodecRegistry.h"
#include "stream/CNxSSException.h"
#include "stream/CNxSSPacket.h"
#include "stream/ResultCodes.h"
#include "stream/wave/CNxSSRiffInfo.h"

CNxSSWaveReader::CNxSSWaveReader(CNxSSObject* parent) : CNxSSComponent(parent) {
    SetTag("WAVEREAD");
}

void CNxSSWaveReader::Open(NxRef<CNxSSRiffFile> file) {
    std::lock_guard lock(lock_);
    const platform::WaveFormat format = file->GetFormat();
    if (format.channels() == 0 || format.blockAlign() == 0 || format.avgBytesPerSec() == 0) {
        throw CNxSSException(nxss::kBadRiff);
    }
    const auto pcm = SuggestPcm(*platform::acm::CodecRegistry::current(), format);
    if (!pcm) {
        throw CNxSSException(nxss::kNoPlaybackCodec);
    }
    const size_t sourceBytes = std::max<size_t>(kSourceBytes, size_t{format.blockAlign()} * 2);
    conversion_.Open(format, *pcm, sourceBytes, nxss::kNoPlaybackCodec);
    file_ = std::move(file);
    fileFormat_ = format;
    output_ = *pcm;
    undelivered_ = {};
    fileEnded_ = false;
    positionMs_ = 0;
}

int32_t CNxSSWaveReader::GetLength() {
    std::lock_guard lock(lock_);
    if (!file_) {
        return 0;
    }
    const uint64_t ms = file_->GetSize() * 1000 / fileFormat_.avgBytesPerSec();
    return static_cast<int32_t>(std::min<uint64_t>(ms, std::numeric_limits<int32_t>::max()));
}

int32_t CNxSSWaveReader::GetPosition() {
    std::lock_guard lock(lock_);
    return static_cast<int32_t>(positionMs_);
}

// Whole seconds of the file's byte rate, on a block boundary, so that a
// compressed file restarts at the head of a block.
int32_t CNxSSWaveReader::SetPosition(int32_t ms) {
    std::lock_guard lock(lock_);
    const auto previous = static_cast<int32_t>(positionMs_);
    if (!file_ || !file_->IsOpen()) {
        positionMs_ = ms;
        return previous;
    }
    const uint64_t seconds = ms > 0 ? static_cast<uint64_t>(ms / 1000) : 0;
    uint64_t bytes = std::min(fileFormat_.avgBytesPerSec() * seconds, file_->GetSize());
    bytes -= bytes % fileFormat_.blockAlign();
    file_->Seek(static_cast<int64_t>(bytes), SEEK_SET);
    positionMs_ = static_cast<double>(bytes) / fileFormat_.avgBytesPerSec() * 1000;
    undelivered_ = {};
    fileEnded_ = false;
    conversion_.Restart();
    return previous;
}

void CNxSSWaveReader::Read(CNxSSPacket& packet) {
    std::lock_guard lock(lock_);
    const uint32_t blockAlign = packet.Format().blockAlign();
    const size_t wanted = size_t{packet.Capacity()} * blockAlign;
    size_t delivered = 0;
    while (file_ && delivered < wanted) {
        if (undelivered_.empty() && !Refill()) {
            break;
        }
        const size_t n = std::min(wanted - delivered, undelivered_.size());
        std::memcpy(packet.Data() + delivered, undelivered_.data(), n);
        undelivered_ = undelivered_.subspan(n);
        delivered += n;
        positionMs_ += static_cast<double>(n) / output_.avgBytesPerSec() * 1000;
    }
    packet.SetFrames(blockAlign ? static_cast<uint32_t>(delivered / blockAlign) : 0);
}

// Decodes the next piece of the file; false once the end of the data has
// been decoded and the codec has nothing left.
bool CNxSSWaveReader::Refill() {
    if (!fileEnded_) {
        const auto room = conversion_.Room();
        const size_t got = room.empty() ? 0 : file_->Read(room.data(), room.size());
        if (room.empty() || got > 0) {
            conversion_.Commit(got);
            const auto step = conversion_.Convert();
            if (room.empty() && !step.progressed) {
                throw CNxSSException(nxss::kInternal);
            }
            undelivered_ = step.output;
            return true;
        }
        fileEnded_ = true;
    }
    const auto step = conversion_.Drain();
    undelivered_ = step.output;
    return step.progressed;
}

bool CNxSSWaveReader::GetFormat(platform::WaveFormat& format) {
    std::lock_guard lock(lock_);
    if (!file_) {
        return false;
    }
    format = output_;
    return true;
}

uint32_t CNxSSWaveReader::GetInfo(NxRef<CNxSSInfo>& info) {
    std::lock_guard lock(lock_);
    if (!file_) {
        info.reset();
        return nxss::kFail;
    }
    info = MakeNx<CNxSSRiffInfo>(this, file_);
    return 0;
}
