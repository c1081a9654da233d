#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mp3::enc {

// Packs bits most significant first into a growing byte buffer; the front
// can be consumed while more is written at the back.
class BitWriter {
  public:
    explicit BitWriter(size_t reserveBytes = 0) { bytes_.reserve(reserveBytes); }

    void put(uint32_t value, int bits) {
        if (bits == 0) {
            return;
        }
        cache_ = cache_ << bits | (value & ((uint64_t{1} << bits) - 1));
        cacheBits_ += bits;
        while (cacheBits_ >= 8) {
            cacheBits_ -= 8;
            bytes_.push_back(static_cast<uint8_t>(cache_ >> cacheBits_));
        }
        bitsWritten_ += static_cast<size_t>(bits);
    }
    void putZeros(int bits) {
        for (; bits > 24; bits -= 24) {
            put(0, 24);
        }
        put(0, bits);
    }

    size_t bitsWritten() const { return bitsWritten_; }
    bool aligned() const { return cacheBits_ == 0; }
    // Whole bytes not yet taken.
    size_t available() const { return bytes_.size() - readPos_; }
    const uint8_t* front() const { return bytes_.data() + readPos_; }
    // Drops bytes from the front; keeps the storage compact.
    void consume(size_t count);
    uint8_t* byteAt(size_t offsetFromFront) { return bytes_.data() + readPos_ + offsetFromFront; }

  private:
    std::vector<uint8_t> bytes_;
    size_t readPos_ = 0;
    uint64_t cache_ = 0;
    int cacheBits_ = 0;
    size_t bitsWritten_ = 0;
};

inline void BitWriter::consume(size_t count) {
    readPos_ += count;
    if (readPos_ == bytes_.size()) {
        bytes_.clear();
        readPos_ = 0;
    } else if (readPos_ > 4096 && readPos_ * 2 > bytes_.size()) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(readPos_));
        readPos_ = 0;
    }
}

// CRC-16 with generator 0x8005 over whole bytes by table, the rest bitwise.
class Crc16 {
  public:
    explicit Crc16(uint16_t start = 0xFFFF) : crc_(start) {}
    void bytes(const uint8_t* data, size_t count);
    void bits(uint32_t value, int count);
    uint16_t value() const { return crc_; }

  private:
    uint16_t crc_;
};

}  // namespace mp3::enc
