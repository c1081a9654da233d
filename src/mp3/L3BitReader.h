#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace mp3 {

// Bytes of zeros every buffer read by L3BitReader keeps after its data, so a
// peek near or past the end never leaves the buffer.
inline constexpr size_t kL3ReaderPad = 16;

// A bounded MSB-first bit reader. Reading past the end yields zeros; the
// caller compares position() with the end to reject the frame.
class L3BitReader {
  public:
    L3BitReader(const uint8_t* data, size_t bytes) : data_(data), endBits_(bytes * 8) {}

    const uint8_t* data() const { return data_; }
    size_t position() const { return pos_; }
    size_t endBits() const { return endBits_; }
    void seek(size_t bitPosition) { pos_ = bitPosition; }
    bool overrun() const { return pos_ > endBits_; }

    // The next 32 bits without consuming them; zeros past the end.
    uint32_t peek32() const {
        if (pos_ >= endBits_) {
            return 0;
        }
        uint64_t word = 0;
        std::memcpy(&word, data_ + (pos_ >> 3), sizeof word);
        word = __builtin_bswap64(word);
        word <<= (pos_ & 7);
        const size_t left = endBits_ - pos_;
        uint32_t top = static_cast<uint32_t>(word >> 32);
        if (left < 32) {
            top &= ~0u << (32 - left);  // the end inside the word reads as zeros
        }
        return top;
    }
    void skip(unsigned count) { pos_ += count; }
    // Up to 32 bits.
    uint32_t get(unsigned count) {
        if (count == 0) {
            return 0;
        }
        const uint32_t value = peek32() >> (32 - count);
        pos_ += count;
        return value;
    }
    bool bit() { return get(1) != 0; }

  private:
    const uint8_t* data_;
    size_t endBits_;
    size_t pos_ = 0;
};

}  // namespace mp3
