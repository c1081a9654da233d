#pragma once

#include <cstdint>
#include <string_view>

// A chunk of a RIFF file as the chunk functions see it: its id, the size
// stored in its header, the form type of "RIFF" and "LIST" chunks, where
// its contents start (for "RIFF" and "LIST": at the form type) and whether
// its header still has to be rewritten with the real size.
struct RiffChunk {
    uint32_t id = 0;
    uint32_t size = 0;
    uint32_t formType = 0;
    uint64_t dataOffset = 0;
    bool dirty = false;

    uint64_t End() const { return dataOffset + size + (size & 1); }
};

constexpr uint32_t FourCC(std::string_view code) {
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

namespace riff {

inline constexpr uint32_t kRiff = FourCC("RIFF");
inline constexpr uint32_t kList = FourCC("LIST");
inline constexpr uint32_t kWave = FourCC("WAVE");
inline constexpr uint32_t kRmp3 = FourCC("RMP3");
inline constexpr uint32_t kFmt = FourCC("fmt ");
inline constexpr uint32_t kData = FourCC("data");
inline constexpr uint32_t kFact = FourCC("fact");
inline constexpr uint32_t kInfo = FourCC("INFO");
inline constexpr uint32_t kName = FourCC("INAM");

// Error numbers of the chunk functions, numbered as the classic multimedia
// file functions number them (the framework reports 0x83EB0000 | n).
enum Error : uint32_t {
    kOk = 0,
    kFileNotFound = 0x101,
    kOutOfMemory = 0x102,
    kCannotOpen = 0x103,
    kCannotClose = 0x104,
    kCannotRead = 0x105,
    kCannotWrite = 0x106,
    kCannotSeek = 0x107,
    kCannotExpand = 0x108,
    kChunkNotFound = 0x109,
    kPathNotFound = 0x10B,
    kAccessDenied = 0x10C,
    kTooManyOpenFiles = 0x10F,
};

// Descend: search for a chunk with the given id, a "RIFF" or a "LIST"
// chunk with the given form type; without a flag the next chunk is taken.
enum DescendFlags : uint32_t { kFindChunk = 0x10, kFindRiff = 0x20, kFindList = 0x40 };
enum CreateFlags : uint32_t { kCreateRiff = 0x20, kCreateList = 0x40 };

}  // namespace riff
