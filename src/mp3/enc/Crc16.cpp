#include <array>

#include "mp3/enc/BitWriter.h"

namespace mp3::enc {

namespace {
constexpr uint16_t kGenerator = 0x8005;

constexpr std::array<uint16_t, 256> makeTable() {
    std::array<uint16_t, 256> table{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) != 0 ? (crc << 1) ^ kGenerator : crc << 1;
        }
        table[byte] = static_cast<uint16_t>(crc);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kTable = makeTable();
}  // namespace

void Crc16::bytes(const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        crc_ = static_cast<uint16_t>(crc_ << 8 ^ kTable[(crc_ >> 8 ^ data[i]) & 0xFF]);
    }
}

void Crc16::bits(uint32_t value, int count) {
    for (int bit = count - 1; bit >= 0; --bit) {
        const bool carry = ((crc_ >> 15) ^ (value >> bit)) & 1;
        crc_ = static_cast<uint16_t>(crc_ << 1);
        if (carry) {
            crc_ ^= kGenerator;
        }
    }
}

}  // namespace mp3::enc
