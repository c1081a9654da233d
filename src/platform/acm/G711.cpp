#include "platform/acm/G711.h"

#include <algorithm>
#include <bit>

namespace platform::acm {

namespace {
constexpr uint8_t kALawToggle = 0x55;  // even bits are inverted on the line
constexpr int kMuLawBias = 0x84;
constexpr int kMuLawClip = 32635;

int highestBit(unsigned v) {
    return std::bit_width(v) - 1;
}
}  // namespace

uint8_t linearToALaw(int16_t sample) {
    // 13-bit magnitude; negative values use the one's complement.
    int m = sample >> 3;
    uint8_t sign = 0x80;
    if (m < 0) {
        m = ~m;
        sign = 0;
    }
    uint8_t code;
    if (m < 32) {
        code = static_cast<uint8_t>(m >> 1);
    } else {
        const int segment = highestBit(static_cast<unsigned>(m)) - 4;
        code = static_cast<uint8_t>((segment << 4) | ((m >> segment) & 0x0F));
    }
    return static_cast<uint8_t>((sign | code) ^ kALawToggle);
}

int16_t aLawToLinear(uint8_t code) {
    code ^= kALawToggle;
    const int segment = (code >> 4) & 7;
    const int mantissa = code & 0x0F;
    const int magnitude =
        segment == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (segment - 1);
    return static_cast<int16_t>(code & 0x80 ? magnitude : -magnitude);
}

uint8_t linearToMuLaw(int16_t sample) {
    int m = sample;
    uint8_t sign = 0;
    if (m < 0) {
        m = -m;
        sign = 0x80;
    }
    m = std::min(m, kMuLawClip) + kMuLawBias;
    const int segment = highestBit(static_cast<unsigned>(m)) - 7;
    const int mantissa = (m >> (segment + 3)) & 0x0F;
    return static_cast<uint8_t>(~(sign | (segment << 4) | mantissa));
}

int16_t muLawToLinear(uint8_t code) {
    code = static_cast<uint8_t>(~code);
    const int segment = (code >> 4) & 7;
    const int mantissa = code & 0x0F;
    const int magnitude = (((mantissa << 3) + kMuLawBias) << segment) - kMuLawBias;
    return static_cast<int16_t>(code & 0x80 ? -magnitude : magnitude);
}

}  // namespace platform::acm
