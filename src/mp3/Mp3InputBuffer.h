#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mp3/Mp3FrameHeader.h"
#include "mp3/Mp3Ssc.h"

namespace mp3 {

// Input the decoder pulls by itself when one is attached.
class IMp3PullSource {
  public:
    virtual ~IMp3PullSource() = default;
    // Reads up to `count` bytes; returns false on a read failure.
    virtual bool read(uint8_t* destination, size_t count, size_t* got) = 0;
    virtual bool atEnd() const = 0;
};

// The decoder's input: a ring buffer of compressed bytes (capacity a power of
// two) that finds and keeps frame sync. Frames always start on a byte, so the
// ring is kept in bytes.
class Mp3InputBuffer {
  public:
    explicit Mp3InputBuffer(size_t capacity);

    // Empties the buffer and starts searching again; clears the end flag.
    void reset();
    // Copies as much as fits; returns the count taken.
    size_t feed(const uint8_t* data, size_t count);
    size_t freeSpace() const { return data_.size() - held_; }
    size_t bytesHeld() const { return held_; }
    void markFinished() { finished_ = true; }
    bool finished() const { return finished_; }
    void setPullSource(IMp3PullSource* source) { source_ = source; }

    // Advances to the next frame. kOk when a frame is ready (header() tells
    // which); kSyncSearched, kSyncNeedData, kSyncLost or kSyncEof otherwise.
    // Asking again before the frame is consumed gives the same frame.
    Mp3Ssc sync();
    const Mp3FrameHeader& header() const { return header_; }
    uint64_t skippedBytes() const { return skipped_; }

    // Copies bytes of the current frame, from its first header byte.
    void copy(size_t offset, uint8_t* destination, size_t count) const;
    // Drops the current frame (its whole length) from the buffer.
    void consumeFrame();

  private:
    uint8_t at(size_t offset) const { return data_[(read_ + offset) & mask_]; }
    uint32_t peek32(size_t offset) const;
    void drop(size_t count);
    void pull();
    bool frameFits(size_t frameBytes) const;
    size_t nextFreeFormatHeader(uint32_t word, size_t from) const;
    bool measureFreeFormat(Mp3FrameHeader& candidate, bool& needData) const;
    bool takeLength(Mp3FrameHeader& header) const;
    Mp3Ssc search();
    Mp3Ssc follow();

    std::vector<uint8_t> data_;
    size_t mask_ = 0;
    size_t read_ = 0;
    size_t held_ = 0;
    bool finished_ = false;
    IMp3PullSource* source_ = nullptr;

    Mp3FrameHeader header_;
    uint32_t reference_ = 0;  // header of the stream, variable bits masked off
    uint32_t freeBytes_ = 0;  // free-format frame size without padding, once measured
    int toConfirm_ = 0;
    bool inSync_ = false;
    bool frameReady_ = false;
    Mp3Ssc state_ = ssc::kSyncSearched;
    uint64_t skipped_ = 0;
};

}  // namespace mp3
