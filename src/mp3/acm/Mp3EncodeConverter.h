#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "mp3/acm/Mp3WaveFormat.h"
#include "mp3/enc/Mp3EncoderHandle.h"
#include "platform/acm/Codec.h"

namespace mp3::acm {

// 16-bit PCM to a constant-bitrate MPEG Layer-3 stream of the same rate and
// channels, through the encoder handle. Input is taken a frame's worth of
// samples at a time (a shorter rest stays unconsumed until kConvertEnd) and
// output is handed out in whole frames only; kConvertEnd codes the rest and
// flushes the encoder, over as many calls as the destination needs.
class Mp3EncodeConverter final : public platform::acm::Converter {
  public:
    // Null when the encoder cannot produce the format.
    static std::unique_ptr<Mp3EncodeConverter> open(const Mp3WaveFormat& format);

    size_t destinationSize(size_t sourceBytes) const override;
    size_t sourceSize(size_t destinationBytes) const override;
    void reset() override;
    platform::acm::Conversion convert(std::span<const uint8_t> source,
                                      std::span<uint8_t> destination, uint32_t flags) override;

  private:
    explicit Mp3EncodeConverter(const Mp3WaveFormat& format);
    static std::unique_ptr<enc::Mp3EncoderHandle> makeEncoder(const Mp3WaveFormat& format);

    size_t blockBytes() const;
    size_t longestFrame() const;
    bool encode(const uint8_t* pcm, size_t bytes);
    bool flush();
    size_t frameAt(size_t at) const;
    void handOut(std::span<uint8_t> destination, size_t& produced, bool all);

    Mp3WaveFormat format_;
    std::unique_ptr<enc::Mp3EncoderHandle> encoder_;
    std::vector<uint8_t> coded_;  // frames made, not yet handed out
    std::vector<uint8_t> scratch_;
    bool flushed_ = false;
};

}  // namespace mp3::acm
