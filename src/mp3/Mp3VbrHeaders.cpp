#include "mp3/Mp3VbrHeaders.h"

#include <cstring>

namespace mp3 {

namespace {
constexpr size_t kVbriMagicAt = 36;
constexpr size_t kVbriTableAt = 62;
constexpr size_t kXingNeeds = 120;

uint32_t sampleRate(uint32_t word) {
    constexpr uint32_t kRates[3] = {44100, 48000, 32000};
    const bool mpeg1 = (word >> 19) & 1;
    const bool mpeg25 = ((word >> 20) & 1) == 0;
    return kRates[(word >> 10) & 3] >> (mpeg1 ? 0 : (mpeg25 ? 2 : 1));
}

// The analysis takes Xing counts only from streams of 16 kHz and more.
size_t xingOffset(uint32_t word) {
    const size_t at = sideInfoEnd(word);
    return at != 0 && sampleRate(word) >= 16000 ? at : 0;
}
}  // namespace

uint32_t bigEndian(const uint8_t* p, size_t bytes) {
    uint32_t v = 0;
    for (size_t i = 0; i < bytes; ++i) {
        v = v << 8 | p[i];
    }
    return v;
}

size_t sideInfoEnd(uint32_t word) {
    if (((word >> 10) & 3) == 3) {
        return 0;
    }
    const bool mpeg1 = (word >> 19) & 1;
    const bool mono = ((word >> 6) & 3) == 3;
    if (mpeg1) {
        return mono ? 21 : 36;
    }
    return mono ? 13 : 21;
}

bool isVbrHeaderFrame(const uint8_t* frame, size_t available) {
    if (available >= kVbriMagicAt + 4 && std::memcmp(frame + kVbriMagicAt, "VBRI", 4) == 0) {
        return true;
    }
    if (available < 4) {
        return false;
    }
    // A header frame is never audio, whatever the rate.
    const size_t at = sideInfoEnd(bigEndian(frame, 4));
    return at != 0 && available >= at + 4 &&
           (std::memcmp(frame + at, "Xing", 4) == 0 || std::memcmp(frame + at, "Info", 4) == 0);
}

bool parseVbriHeader(const uint8_t* frame, size_t available, Mp3VbriHeader& header) {
    if (available < kVbriTableAt || std::memcmp(frame + kVbriMagicAt, "VBRI", 4) != 0) {
        return false;
    }
    Mp3VbriHeader h;
    h.version = bigEndian(frame + 40, 2);
    h.delay = bigEndian(frame + 42, 2);
    h.quality = bigEndian(frame + 44, 2);
    h.bytes = bigEndian(frame + 46, 4);
    h.frames = bigEndian(frame + 50, 4);
    h.entries = bigEndian(frame + 54, 2);
    h.scale = bigEndian(frame + 56, 2);
    h.entrySize = bigEndian(frame + 58, 2);
    h.framesPerEntry = bigEndian(frame + 60, 2);
    const size_t tableBytes = size_t{h.entries} * h.entrySize;
    if (h.version != 1 || (h.entries > 0 && (h.entrySize == 0 || h.entrySize > 4)) ||
        available - kVbriTableAt < tableBytes) {
        return false;
    }
    h.toc.assign(h.entries + 1, 0);
    for (uint32_t i = 1; i <= h.entries; ++i) {
        const uint8_t* entry = frame + kVbriTableAt + (i - 1) * h.entrySize;
        h.toc[i] = h.toc[i - 1] + uint64_t{bigEndian(entry, h.entrySize)} * h.scale;
    }
    header = std::move(h);
    return true;
}

bool parseXingHeader(const uint8_t* frame, size_t available, Mp3XingHeader& header) {
    if (available < 4) {
        return false;
    }
    const size_t at = xingOffset(bigEndian(frame, 4));
    if (at == 0 || available < at + kXingNeeds || std::memcmp(frame + at, "Xing", 4) != 0) {
        return false;
    }
    Mp3XingHeader h;
    const uint8_t* p = frame + at + 4;
    h.flags = bigEndian(p, 4);
    p += 4;
    if (h.flags & kXingFrames) {
        h.frames = bigEndian(p, 4);
        p += 4;
    }
    if (h.flags & kXingBytes) {
        h.bytes = bigEndian(p, 4);
        p += 4;
    }
    if (h.flags & kXingToc) {
        std::memcpy(h.toc, p, sizeof h.toc);
        p += sizeof h.toc;
    }
    if (h.flags & kXingQuality) {
        h.quality = bigEndian(p, 4);
    }
    header = h;
    return true;
}

}  // namespace mp3
