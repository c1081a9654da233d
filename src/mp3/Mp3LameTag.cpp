#include "mp3/Mp3LameTag.h"

#include <array>
#include <cstring>

#include "mp3/Mp3VbrHeaders.h"

namespace mp3 {

namespace {
constexpr size_t kXingTableBytes = 100;

constexpr std::array<uint16_t, 256> makeTable() {
    std::array<uint16_t, 256> table{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
        }
        table[byte] = static_cast<uint16_t>(crc);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kTable = makeTable();
}  // namespace

uint16_t lameTagCrc(const uint8_t* data, size_t count, uint16_t crc) {
    for (size_t i = 0; i < count; ++i) {
        crc = static_cast<uint16_t>(crc >> 8 ^ kTable[(crc ^ data[i]) & 0xFF]);
    }
    return crc;
}

size_t lameTagOffset(const uint8_t* frame, size_t available) {
    if (available < 4) {
        return 0;
    }
    const size_t at = sideInfoEnd(bigEndian(frame, 4));
    if (at == 0 || available < at + 8 ||
        (std::memcmp(frame + at, "Xing", 4) != 0 && std::memcmp(frame + at, "Info", 4) != 0)) {
        return 0;
    }
    const uint32_t flags = bigEndian(frame + at + 4, 4);
    size_t end = at + 8;
    end += (flags & kXingFrames) ? 4 : 0;
    end += (flags & kXingBytes) ? 4 : 0;
    end += (flags & kXingToc) ? kXingTableBytes : 0;
    end += (flags & kXingQuality) ? 4 : 0;
    return end;
}

bool parseLameTag(const uint8_t* frame, size_t available, Mp3LameTag& tag) {
    const size_t at = lameTagOffset(frame, available);
    if (at == 0 || available < at + kLameTagBytes) {
        return false;
    }
    const uint8_t* ext = frame + at;
    if (bigEndian(ext + kLameCrcAt, 2) != lameTagCrc(frame, at + kLameCrcAt)) {
        return false;
    }
    const size_t xing = sideInfoEnd(bigEndian(frame, 4));
    const bool counted = bigEndian(frame + xing + 4, 4) & kXingFrames;
    const uint32_t packed = bigEndian(ext + kLameDelayAt, 3);
    tag.frames = counted ? bigEndian(frame + xing + 8, 4) : 0;
    tag.delay = packed >> 12;
    tag.padding = packed & 0xFFF;
    return true;
}

}  // namespace mp3
