#pragma once

#include <cstdint>
#include <span>

#include "platform/wma/Attributes.h"
#include "platform/wma/StreamInfo.h"

namespace platform::wma {

// Decodes the audio stream of a WMA (ASF) file into 16-bit PCM, block by
// block, on the caller's thread. Positions count sample frames of the
// delivered PCM from its first sample. Made by WmaCodec::openDecoder.
class WmaDecoder {
  public:
    virtual ~WmaDecoder() = default;

    virtual const StreamInfo& info() const = 0;
    virtual const Attributes& attributes() const = 0;

    // The next block of PCM, empty at the end of the stream; valid until the
    // next call. Damaged packets are skipped; a failing read, or a stream
    // that ends without any audio although the header promises some, throws
    // Error(ReadFailed).
    virtual std::span<const uint8_t> next() = 0;
    // The next block starts at `frame` (or is empty when that lies beyond
    // the end).
    virtual void seek(uint64_t frame) = 0;
    // Where the next block starts.
    virtual uint64_t position() const = 0;
};

}  // namespace platform::wma
