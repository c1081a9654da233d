#pragma once

#include <cstdint>
#include <vector>

#include "platform/WaveFormat.h"
#include "stream/CNxSSObject.h"

// A block of PCM frames handed down a chain by Read.
class CNxSSPacket : public CNxSSObject {
  public:
    explicit CNxSSPacket(CNxSSObject* owner);

    // Replaces the block with a zeroed one of block align x frames bytes.
    // Throws CNxSSException(0x83EA0001) when memory runs out.
    void Allocate(const platform::WaveFormat& format, uint32_t frames);

    const platform::WaveFormat& Format() const { return format_; }
    uint32_t Capacity() const { return capacity_; }
    uint32_t Frames() const { return frames_; }
    uint32_t Bytes() const { return frames_ * format_.blockAlign(); }
    uint8_t* Data() { return data_.data(); }
    const uint8_t* Data() const { return data_.data(); }

    // Records what the last Read delivered; no frames means end of stream.
    void SetFrames(uint32_t frames);
    bool EndOfStream() const { return endOfStream_; }

    uint32_t StreamOffset() const { return streamOffset_; }
    void SetStreamOffset(uint32_t offset) { streamOffset_ = offset; }

  private:
    platform::WaveFormat format_;
    uint32_t capacity_ = 0;
    uint32_t frames_ = 0;
    std::vector<uint8_t> data_;
    uint32_t streamOffset_ = 0;
    bool endOfStream_ = false;
};
