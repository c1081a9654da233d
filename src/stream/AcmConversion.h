#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/WaveFormat.h"
#include "platform/acm/CodecRegistry.h"
#include "platform/acm/Stream.h"

// One open conversion of the compression layer with its two buffers, as
// the reader, the converter and the writer drive it: input is appended to
// the source buffer, converted whole blocks at a time, and what the codec
// did not take moves to the front for the next call. At the end of the
// input, Drain runs the end-of-stream sequence until nothing more comes.
// Failures throw CNxSSException.
class AcmConversion {
  public:
    struct Step {
        std::span<const uint8_t> output;
        bool progressed = false;  // input was taken or output made
    };

    AcmConversion() = default;
    AcmConversion(const AcmConversion&) = delete;
    AcmConversion& operator=(const AcmConversion&) = delete;

    // Opens from `from` to `to` with a source buffer of `sourceBytes`.
    // Throws `noCodec` when the layer has no such conversion and
    // 0x83EC0000 | error when it cannot size it.
    void Open(const platform::WaveFormat& from, const platform::WaveFormat& to, size_t sourceBytes,
              uint32_t noCodec);
    void Close();
    bool IsOpen() const { return stream_.isOpen(); }

    // Room left in the source buffer, to be filled and then committed.
    std::span<uint8_t> Room();
    void Commit(size_t bytes);
    // Copies as much as fits; returns the bytes taken.
    size_t Append(std::span<const uint8_t> bytes);
    size_t Pending() const { return pending_; }

    // Converts what is pending with the block-align flag.
    Step Convert();
    // One step of the end sequence: block align, then block align and end,
    // then end alone; nothing progressed means the stream is complete.
    Step Drain();
    // Drops pending input and makes the codec start afresh (after a seek).
    void Restart();

  private:
    Step Run(uint32_t flags);

    platform::acm::Stream stream_;
    platform::acm::StreamHeader header_;
    std::vector<uint8_t> source_;
    std::vector<uint8_t> destination_;
    size_t pending_ = 0;
    bool restart_ = false;
};

// The PCM format the codecs suggest to decode `format` into or to encode it
// from; nothing when no codec handles it.
std::optional<platform::WaveFormat> SuggestPcm(const platform::acm::CodecRegistry& codecs,
                                               const platform::WaveFormat& format);
