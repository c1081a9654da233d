#include "mp3/reader/Mp3PcmTrim.h"

#include <algorithm>
#include <cstring>

void Mp3PcmTrim::restart(bool fromStart) {
    toDrop_ = fromStart ? start_ : 0;
    held_.clear();
    read_ = 0;
}

void Mp3PcmTrim::push(const uint8_t* data, size_t count) {
    const size_t dropped = std::min(toDrop_, count);
    toDrop_ -= dropped;
    held_.insert(held_.end(), data + dropped, data + count);
}

size_t Mp3PcmTrim::take(uint8_t* out, size_t count) {
    const size_t waiting = held_.size() - read_;
    const size_t n = std::min(count, waiting > end_ ? waiting - end_ : 0);
    if (n > 0) {
        std::memcpy(out, held_.data() + read_, n);
        read_ += n;
    }
    // What is left is moved to the front once it is no more than the end.
    if (read_ > 0 && held_.size() - read_ <= end_) {
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(read_));
        read_ = 0;
    }
    return n;
}
