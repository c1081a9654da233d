#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mp3 {

// Fields of a "VBRI" header; toc holds entries + 1 cumulative byte offsets.
struct Mp3VbriHeader {
    uint32_t version = 0;
    uint32_t delay = 0;
    uint32_t quality = 0;
    uint32_t bytes = 0;
    uint32_t frames = 0;
    uint32_t entries = 0;
    uint32_t scale = 0;
    uint32_t entrySize = 0;
    uint32_t framesPerEntry = 0;
    std::vector<uint64_t> toc;
};

inline constexpr uint32_t kXingFrames = 0x1;
inline constexpr uint32_t kXingBytes = 0x2;
inline constexpr uint32_t kXingToc = 0x4;
inline constexpr uint32_t kXingQuality = 0x8;

struct Mp3XingHeader {
    uint32_t flags = 0;
    uint32_t frames = 0;
    uint32_t bytes = 0;
    uint8_t toc[100] = {};
    uint32_t quality = 0;
};

// The number in `bytes` bytes at `p`, most significant first.
uint32_t bigEndian(const uint8_t* p, size_t bytes);

// Where a Xing or Info header sits in the frame whose header word is
// `word`, from the frame's first byte: past the side information. 0 for a
// reserved rate index.
size_t sideInfoEnd(uint32_t word);

// The "VBRI" header of the frame starting at `frame`, which must be version
// 1 with its whole table in the buffer.
bool parseVbriHeader(const uint8_t* frame, size_t available, Mp3VbriHeader& header);

// The "Xing" header of the frame starting at `frame` (its header word is
// read from the first four bytes).
bool parseXingHeader(const uint8_t* frame, size_t available, Mp3XingHeader& header);

// Whether the frame at `frame` carries a "Xing", "Info" or "VBRI" header:
// such a frame is metadata, and a reader does not play it as audio.
bool isVbrHeaderFrame(const uint8_t* frame, size_t available);

}  // namespace mp3
