#include "stream/CNxSSSilenceSource.h"

#include <algorithm>
#include <cstring>

#include "stream/CNxSSPacket.h"

namespace {

uint32_t bytesFor(const platform::WaveFormat& format, int32_t ms) {
    if (ms <= 0) {
        return 0;
    }
    const uint64_t bytes = uint64_t{format.avgBytesPerSec()} * static_cast<uint64_t>(ms) / 1000;
    return static_cast<uint32_t>(bytes - bytes % format.blockAlign());
}

int32_t msFor(const platform::WaveFormat& format, uint32_t bytes) {
    return static_cast<int32_t>(uint64_t{bytes} * 1000 / format.avgBytesPerSec());
}

}  // namespace

CNxSSSilenceSource::CNxSSSilenceSource(CNxSSObject* parent, int32_t lengthMs)
    : CNxSSComponent(parent),
      format_(platform::WaveFormat::pcm(2, 44100, 16)),
      budget_(bytesFor(format_, lengthMs)) {}

int32_t CNxSSSilenceSource::GetLength() {
    return msFor(format_, budget_);
}

int32_t CNxSSSilenceSource::GetPosition() {
    return msFor(format_, delivered_);
}

int32_t CNxSSSilenceSource::SetPosition(int32_t ms) {
    const int32_t previous = GetPosition();
    delivered_ = std::min(bytesFor(format_, ms), budget_);
    return previous;
}

void CNxSSSilenceSource::Read(CNxSSPacket& packet) {
    const uint32_t align = format_.blockAlign();
    const uint32_t frames = std::min(packet.Capacity(), (budget_ - delivered_.load()) / align);
    std::memset(packet.Data(), 0, size_t{frames} * align);
    packet.SetFrames(frames);
    delivered_ += frames * align;
}

bool CNxSSSilenceSource::GetFormat(platform::WaveFormat& format) {
    format = format_;
    return true;
}
