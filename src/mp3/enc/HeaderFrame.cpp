#include "mp3/enc/HeaderFrame.h"

#include "mp3/enc/FrameBits.h"

namespace mp3::enc {

uint32_t headerFrameWord(const HeaderFrameFields& f) {
    uint32_t w = f.version == 2 ? 0xFFEu : 0xFFFu;
    w = w << 1 | (f.version == 0 ? 1u : 0u);
    w = w << 2 | 1u;  // layer III
    w = w << 1 | 1u;  // no CRC
    w = w << 4 | static_cast<uint32_t>(f.bitrateIndex);
    w = w << 2 | static_cast<uint32_t>(samplingIndexOf(f.sampleRate));
    w = w << 1;  // not padded
    w = w << 1 | (f.privateBit ? 1u : 0u);
    w = w << 2 | (f.mono ? 3u : 0u);
    w = w << 2;
    w = w << 1 | (f.copyright ? 1u : 0u);
    w = w << 1 | (f.original ? 1u : 0u);
    w = w << 2;
    return w;
}

void putBigEndian(uint8_t* p, uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        p[i] = static_cast<uint8_t>(value);
        value >>= 8;
    }
}

}  // namespace mp3::enc
