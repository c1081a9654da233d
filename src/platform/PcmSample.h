#pragma once

#include <cstdint>

namespace platform {

// One little-endian integer sample of 1-4 bytes as a signed value; 8-bit
// samples are unsigned around 128.
inline int64_t readPcmInt(const uint8_t* p, unsigned bytes) {
    switch (bytes) {
        case 1:
            return int64_t{p[0]} - 128;
        case 2:
            return int16_t(p[0] | p[1] << 8);
        case 3:
            return int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >> 8;
        default:
            return int32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
    }
}

inline void writePcmInt(uint8_t* p, unsigned bytes, int64_t v) {
    if (bytes == 1) {
        p[0] = static_cast<uint8_t>(v + 128);
        return;
    }
    for (unsigned i = 0; i < bytes; ++i) {
        p[i] = static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i));
    }
}

}  // namespace platform
