#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/UniqueFd.h"
#include "stream/wave/RiffChunk.h"

// Chunk-level access to a RIFF file on an open descriptor: reads and writes
// at a current position, and the descend / ascend / create-chunk steps of
// the classic multimedia file functions. Chunk sizes are never trusted:
// a search stops at the end of the parent or of the file, whatever a header
// claims, and nothing is allocated from a size read from the file.
class RiffIo {
  public:
    // A RIFF file cannot grow past 4 GiB: its sizes are 32-bit.
    static constexpr uint64_t kMaxFileSize = 0xFFFFFFFFull + 8;

    RiffIo() = default;
    explicit RiffIo(platform::UniqueFd fd);

    bool IsOpen() const { return fd_.valid(); }
    void Close() { fd_.reset(); }
    uint64_t FileSize() const { return fileSize_; }
    uint64_t Tell() const { return position_; }
    void Seek(uint64_t position) { position_ = position; }

    // Reads up to `bytes` at the position; `got` tells how many came.
    riff::Error Read(void* buffer, size_t bytes, size_t& got);
    riff::Error Write(const void* buffer, size_t bytes);

    // Finds the next chunk (or the one the flags ask for) inside parent (or
    // at the top level) and moves into it: `chunk` gives the id or form
    // type to look for and receives what was found.
    riff::Error Descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t flags);
    // Moves past the chunk; a dirty chunk first gets its real size (and a
    // pad byte when that size is odd).
    riff::Error Ascend(RiffChunk& chunk);
    // Writes a chunk header at the position and moves into the chunk,
    // which stays dirty until it is ascended.
    riff::Error CreateChunk(RiffChunk& chunk, uint32_t flags);

  private:
    riff::Error ReadHeader(RiffChunk& chunk, uint64_t end);
    riff::Error ReadAt(uint64_t offset, void* buffer, size_t bytes, size_t& got) const;
    riff::Error WriteAt(uint64_t offset, const void* buffer, size_t bytes);
    static bool Matches(const RiffChunk& found, const RiffChunk& wanted, uint32_t flags);

    platform::UniqueFd fd_;
    uint64_t fileSize_ = 0;
    uint64_t position_ = 0;
};
