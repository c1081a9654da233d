#include "mp3/Mp3InputBuffer.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace mp3 {

Mp3InputBuffer::Mp3InputBuffer(size_t capacity)
    : data_(std::bit_ceil(std::max<size_t>(capacity, 4))), mask_(data_.size() - 1) {}

void Mp3InputBuffer::reset() {
    read_ = 0;
    held_ = 0;
    finished_ = false;
    header_ = Mp3FrameHeader{};
    reference_ = 0;
    toConfirm_ = 0;
    inSync_ = false;
    frameReady_ = false;
    state_ = ssc::kSyncSearched;
}

size_t Mp3InputBuffer::feed(const uint8_t* data, size_t count) {
    const size_t taken = std::min(count, freeSpace());
    size_t write = (read_ + held_) & mask_;
    for (size_t done = 0; done < taken;) {
        const size_t run = std::min(taken - done, data_.size() - write);
        std::copy_n(data + done, run, data_.begin() + static_cast<std::ptrdiff_t>(write));
        done += run;
        write = (write + run) & mask_;
    }
    held_ += taken;
    return taken;
}

uint32_t Mp3InputBuffer::peek32(size_t offset) const {
    return uint32_t{at(offset)} << 24 | uint32_t{at(offset + 1)} << 16 |
           uint32_t{at(offset + 2)} << 8 | at(offset + 3);
}

void Mp3InputBuffer::copy(size_t offset, uint8_t* destination, size_t count) const {
    const size_t from = (read_ + offset) & mask_;
    const size_t first = std::min(count, data_.size() - from);
    std::memcpy(destination, data_.data() + from, first);
    std::memcpy(destination + first, data_.data(), count - first);
}

void Mp3InputBuffer::drop(size_t count) {
    count = std::min(count, held_);
    read_ = (read_ + count) & mask_;
    held_ -= count;
}

void Mp3InputBuffer::consumeFrame() {
    if (frameReady_) {
        drop(header_.frameBytes());
        frameReady_ = false;
    }
}

void Mp3InputBuffer::pull() {
    if (source_ == nullptr || finished_) {
        return;
    }
    uint8_t chunk[1024];
    while (freeSpace() > 0) {
        size_t got = 0;
        const bool ok = source_->read(chunk, std::min(freeSpace(), sizeof chunk), &got);
        feed(chunk, got);
        if (!ok || got == 0 || source_->atEnd()) {
            finished_ = finished_ || !ok || source_->atEnd() || got == 0;
            return;
        }
    }
}

bool Mp3InputBuffer::frameFits(size_t frameBytes) const {
    // The header after the frame must be there too, except at the very end.
    return held_ >= frameBytes + 4 || (finished_ && held_ >= frameBytes);
}

Mp3Ssc Mp3InputBuffer::sync() {
    if (frameReady_) {
        return ssc::kOk;
    }
    pull();
    if (state_ == ssc::kSyncEof) {
        return state_;
    }
    Mp3Ssc result = inSync_ ? follow() : search();
    if ((result == ssc::kSyncSearched || result == ssc::kSyncNeedData) && finished_) {
        result = ssc::kSyncEof;
    }
    state_ = result;
    frameReady_ = result == ssc::kOk;
    return result;
}

Mp3Ssc Mp3InputBuffer::search() {
    Mp3FrameHeader candidate;
    while (held_ >= 4) {
        const uint32_t word = peek32(0);
        if (decodeMp3Header(word, candidate)) {
            const size_t length = candidate.frameBytes();
            if (!frameFits(length)) {
                return ssc::kSyncSearched;
            }
            Mp3FrameHeader next;
            const bool last = held_ < length + 4;
            if (last ||
                (decodeMp3Header(peek32(length), next) &&
                 (next.word & ~kMp3HeaderVariableBits) == (word & ~kMp3HeaderVariableBits))) {
                header_ = candidate;
                reference_ = word & ~kMp3HeaderVariableBits;
                toConfirm_ = 10;
                inSync_ = true;
                return ssc::kOk;
            }
        }
        drop(1);
        ++skipped_;
    }
    return ssc::kSyncSearched;
}

Mp3Ssc Mp3InputBuffer::follow() {
    if (held_ < 4) {
        return ssc::kSyncNeedData;
    }
    Mp3FrameHeader current;
    const uint32_t word = peek32(0);
    bool agrees = decodeMp3Header(word, current) && (word & ~kMp3HeaderVariableBits) == reference_;
    if (agrees) {
        const size_t length = current.frameBytes();
        if (!frameFits(length)) {
            return ssc::kSyncNeedData;
        }
        if (toConfirm_ > 0 && held_ >= length + 4) {
            const uint32_t next = peek32(length);
            Mp3FrameHeader nextHeader;
            agrees =
                decodeMp3Header(next, nextHeader) && (next & ~kMp3HeaderVariableBits) == reference_;
        }
    }
    if (!agrees) {
        inSync_ = false;
        return ssc::kSyncLost;
    }
    toConfirm_ = std::max(toConfirm_ - 1, 0);
    header_ = current;
    return ssc::kOk;
}

}  // namespace mp3
