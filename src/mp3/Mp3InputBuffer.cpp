#include "mp3/Mp3InputBuffer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "mp3/L3Stages.h"

namespace mp3 {

Mp3InputBuffer::Mp3InputBuffer(size_t capacity)
    : data_(std::bit_ceil(std::max<size_t>(capacity, 4))), mask_(data_.size() - 1) {}

void Mp3InputBuffer::reset() {
    read_ = 0;
    held_ = 0;
    finished_ = false;
    header_ = Mp3FrameHeader{};
    reference_ = 0;
    freeBytes_ = 0;
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

// The offset of the next free-format header of the same stream at or after
// `from`, or 0 when none is held within the longest frame.
size_t Mp3InputBuffer::nextFreeFormatHeader(uint32_t word, size_t from) const {
    const size_t last = std::min<size_t>(held_ - 4, kMp3MaxFrameBytes);
    Mp3FrameHeader next;
    for (size_t at = from; at <= last; ++at) {
        if (this->at(at) != 0xFF) {
            continue;
        }
        const uint32_t candidate = peek32(at);
        if ((candidate & ~kMp3HeaderVariableBits) == (word & ~kMp3HeaderVariableBits) &&
            decodeMp3Header(candidate, next) && next.freeFormat()) {
            return at;
        }
    }
    return 0;
}

// A free-format frame is as long as the distance to the next header of the
// stream, as reference decoders find it. False when there is none; with
// `needData` when more input could still bring it.
bool Mp3InputBuffer::measureFreeFormat(Mp3FrameHeader& candidate, bool& needData) const {
    const size_t shortest =
        4 + (candidate.crcPresent ? 2 : 0) + static_cast<size_t>(l3SideInfoBytes(candidate));
    const size_t distance = nextFreeFormatHeader(candidate.word, shortest);
    needData = distance == 0 && !finished_ && held_ < kMp3MaxFrameBytes + 4;
    if (distance == 0) {
        return false;
    }
    setFreeFormatLength(candidate, static_cast<uint32_t>(distance - candidate.padding));
    return true;
}

// Fills in a free-format frame's length from the measured size.
bool Mp3InputBuffer::takeLength(Mp3FrameHeader& header) const {
    if (!header.freeFormat()) {
        return true;
    }
    if (freeBytes_ == 0) {
        return false;
    }
    setFreeFormatLength(header, freeBytes_);
    return true;
}

Mp3Ssc Mp3InputBuffer::search() {
    Mp3FrameHeader candidate;
    while (held_ >= 4) {
        const uint32_t word = peek32(0);
        bool needData = false;
        if (decodeMp3Header(word, candidate) &&
            (!candidate.freeFormat() || measureFreeFormat(candidate, needData))) {
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
                freeBytes_ = candidate.freeFormat() ? length - candidate.padding : 0;
                reference_ = word & ~kMp3HeaderVariableBits;
                toConfirm_ = 10;
                inSync_ = true;
                return ssc::kOk;
            }
        }
        if (needData) {
            return ssc::kSyncSearched;
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
    bool agrees = decodeMp3Header(word, current) &&
                  (word & ~kMp3HeaderVariableBits) == reference_ && takeLength(current);
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
