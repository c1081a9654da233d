#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/WaveFormat.h"
#include "platform/acm/AcmTypes.h"
#include "platform/acm/Codec.h"
#include "platform/acm/CodecRegistry.h"

namespace platform::acm {

// One conversion's buffers. The two buffers are fixed when the header is
// prepared; between calls only the lengths change: `sourceLength` bytes at
// the start of `source` are converted into at most `destinationLength`
// bytes of `destination`, and the stream reports what it used.
class StreamHeader {
  public:
    std::span<const uint8_t> source;
    size_t sourceLength = 0;
    size_t sourceLengthUsed = 0;
    std::span<uint8_t> destination;
    size_t destinationLength = 0;
    size_t destinationLengthUsed = 0;

    bool isPrepared() const { return owner_ != nullptr; }

  private:
    friend class Stream;
    const Converter* owner_ = nullptr;
    std::span<const uint8_t> preparedSource_;
    std::span<uint8_t> preparedDestination_;
};

// An open conversion from one wave format to another. Closing (or
// destroying) it ends the conversion; headers prepared for it must not be
// used afterwards.
class Stream {
  public:
    Stream() = default;

    // kNotPossible when no codec converts `source` into `destination`.
    Result open(const CodecRegistry& codecs, const WaveFormat& source,
                const WaveFormat& destination);
    void close();
    bool isOpen() const { return converter_ != nullptr; }
    const WaveFormat& sourceFormat() const { return source_; }
    const WaveFormat& destinationFormat() const { return destination_; }

    // Destination bytes one convert call may produce from `sourceBytes`.
    Result destinationSize(size_t sourceBytes, size_t& bytes) const;
    // Source bytes whose conversion fits in `destinationBytes`.
    Result sourceSize(size_t destinationBytes, size_t& bytes) const;

    // Fixes the header's buffers for this stream; the lengths default to the
    // buffer sizes.
    Result prepareHeader(StreamHeader& header) const;
    Result unprepareHeader(StreamHeader& header) const;
    // Converts under the kConvert* flags and sets the header's used lengths.
    Result convert(StreamHeader& header, uint32_t flags);

  private:
    Result check(const StreamHeader& header) const;

    WaveFormat source_;
    WaveFormat destination_;
    std::unique_ptr<Converter> converter_;
};

}  // namespace platform::acm
