#include "stream/CNxSSPacket.h"

#include <algorithm>
#include <new>

#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

CNxSSPacket::CNxSSPacket(CNxSSObject* owner) : CNxSSObject(owner) {
    SetTag("PACKET  ");
}

void CNxSSPacket::Allocate(const platform::WaveFormat& format, uint32_t frames) {
    data_.clear();
    data_.shrink_to_fit();
    try {
        data_.resize(size_t{format.blockAlign()} * frames);
    } catch (const std::bad_alloc&) {
        throw CNxSSException(nxss::kOutOfMemory);
    }
    format_ = format;
    capacity_ = frames;
    frames_ = 0;
    endOfStream_ = false;
}

void CNxSSPacket::SetFrames(uint32_t frames) {
    frames_ = std::min(frames, capacity_);
    endOfStream_ = frames_ == 0;
}
