#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "platform/wma/Attributes.h"
#include "platform/wma/AvHandles.h"
#include "platform/wma/StreamInfo.h"

namespace platform::wma {

// Decodes the audio stream of a WMA (ASF) file into 16-bit PCM, block by
// block, on the caller's thread. Positions count sample frames of the
// delivered PCM from its first sample.
class WmaDecoder {
  public:
    // Opens the file and reads its facts and attributes. Throws Error:
    // Protected before anything is decoded, OpenFailed, NotWma, NoAudio,
    // MissingCodec (the detail names the codec).
    explicit WmaDecoder(const std::filesystem::path& path);
    WmaDecoder(const WmaDecoder&) = delete;
    WmaDecoder& operator=(const WmaDecoder&) = delete;

    const StreamInfo& info() const { return info_; }
    const Attributes& attributes() const { return attributes_; }

    // The next block of PCM, empty at the end of the stream; valid until the
    // next call. Damaged packets are skipped; a failing read throws Error.
    std::span<const uint8_t> next();
    // The next block starts at `frame` (or is empty when that lies beyond
    // the end).
    void seek(uint64_t frame);
    // Where the next block starts.
    uint64_t position() const { return position_; }

  private:
    void openDecoder();
    void openConverter();
    void readFacts();
    void findTimeline(std::optional<uint64_t> playLength);
    bool decodeFrame();
    bool feedPacket();
    bool usableFrame() const;
    int64_t frameStart() const;
    std::span<const uint8_t> deliver(int64_t skipFrames);
    std::span<const uint8_t> clipAtEnd(std::span<const uint8_t> block);
    size_t outputAlign() const { return size_t{2} * info_.channels; }

    InputContext input_;
    AVStream* stream_ = nullptr;
    CodecContext codec_;
    Resampler converter_;
    Frame frame_;
    Packet packet_;
    bool pending_ = false;     // frame_ holds a decoded frame not yet delivered
    bool draining_ = false;    // the input is exhausted, the decoder is flushing
    int64_t firstPts_ = 0;     // timestamp of the first delivered sample
    int64_t frameLength_ = 0;  // samples per codec frame, 0 when not known
    uint64_t position_ = 0;
    std::optional<uint64_t> seekTarget_;  // frames before it are dropped
    std::optional<uint64_t> end_;         // where the file says the audio ends
    uint64_t overrunLimit_ = 0;           // more audio than that beyond end_: end_ is wrong
    std::vector<uint8_t> pcm_;
    std::vector<uint8_t> overrun_;  // decoded audio beyond end_, held back
    StreamInfo info_;
    Attributes attributes_;
};

}  // namespace platform::wma
