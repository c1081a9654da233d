#include "platform/acm/G711.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace platform::acm {

namespace {
constexpr uint8_t kALawToggle = 0x55;  // even bits are inverted on the line
constexpr int kMuLawBias = 0x84;
constexpr int kMuLawClip = 32635;

int highestBit(unsigned v) {
    return std::bit_width(v) - 1;
}

// The standard's decision levels put values just above a segment boundary
// into the upper segment even where the top level of the segment below is
// nearer. `magnitudeBits` is the code with sign and magnitude in the plain
// (uninverted) layout; the next level toward zero has magnitude one less.
template <typename ToCode, typename Decode>
uint8_t nearestLevel(uint8_t magnitudeBits, int sample, ToCode toCode, Decode decode) {
    const uint8_t code = toCode(magnitudeBits);
    if ((magnitudeBits & 0x7F) == 0) {
        return code;
    }
    const uint8_t lower = toCode(static_cast<uint8_t>(magnitudeBits - 1));
    return std::abs(decode(lower) - sample) < std::abs(decode(code) - sample) ? lower : code;
}
}  // namespace

uint8_t linearToALaw(int16_t sample) {
    // 13-bit magnitude of the standard; negative values use the one's
    // complement.
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
    return nearestLevel(
        static_cast<uint8_t>(sign | code), sample,
        [](uint8_t bits) { return static_cast<uint8_t>(bits ^ kALawToggle); }, aLawToLinear);
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
    return nearestLevel(
        static_cast<uint8_t>(sign | (segment << 4) | mantissa), sample,
        [](uint8_t bits) { return static_cast<uint8_t>(~bits); }, muLawToLinear);
}

int16_t muLawToLinear(uint8_t code) {
    code = static_cast<uint8_t>(~code);
    const int segment = (code >> 4) & 7;
    const int mantissa = code & 0x0F;
    const int magnitude = (((mantissa << 3) + kMuLawBias) << segment) - kMuLawBias;
    return static_cast<int16_t>(code & 0x80 ? -magnitude : magnitude);
}

}  // namespace platform::acm
