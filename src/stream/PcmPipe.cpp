#include "stream/PcmPipe.h"

#include <algorithm>
#include <cstring>

PcmPipe::PcmPipe(size_t capacity) : ring_(std::max<size_t>(capacity, 1)) {}

size_t PcmPipe::Write(std::span<const uint8_t> bytes) {
    std::unique_lock lock(mutex_);
    size_t moved = 0;
    while (moved < bytes.size()) {
        space_.wait(lock, [this] { return closed_ || fill_ < ring_.size(); });
        if (closed_) {
            return 0;
        }
        const size_t n =
            std::min({bytes.size() - moved, ring_.size() - fill_, ring_.size() - writeAt_});
        std::memcpy(ring_.data() + writeAt_, bytes.data() + moved, n);
        writeAt_ = (writeAt_ + n) % ring_.size();
        fill_ += n;
        moved += n;
        data_.notify_all();
    }
    return moved;
}

size_t PcmPipe::Read(std::span<uint8_t> bytes) {
    std::unique_lock lock(mutex_);
    size_t moved = 0;
    while (moved < bytes.size()) {
        data_.wait(lock, [this] { return closed_ || fill_ > 0; });
        if (fill_ == 0) {
            break;  // closed and drained
        }
        const size_t n = std::min({bytes.size() - moved, fill_, ring_.size() - readAt_});
        std::memcpy(bytes.data() + moved, ring_.data() + readAt_, n);
        readAt_ = (readAt_ + n) % ring_.size();
        fill_ -= n;
        moved += n;
        space_.notify_all();
    }
    return moved;
}

void PcmPipe::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    space_.notify_all();
    data_.notify_all();
}

void PcmPipe::Reset() {
    std::lock_guard lock(mutex_);
    fill_ = readAt_ = writeAt_ = 0;
    closed_ = false;
}
