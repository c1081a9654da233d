#pragma once

#include <cstdint>
#include <vector>

#include "mp3/Mp3DecoderCore.h"
#include "mp3/Mp3InputBuffer.h"
#include "mp3/acm/Mp3WaveFormat.h"
#include "platform/acm/Codec.h"

namespace mp3::acm {

// MPEG Layer-3 frames to 16-bit PCM of the record's rate and channels.
// Only frames that lie whole in the source are decoded; the bytes of a
// frame that is cut off stay unconsumed until the caller offers them again,
// and only under kConvertEnd is such a remainder dropped. The decoder's
// bit reservoir carries over from call to call.
class Mp3DecodeConverter final : public platform::acm::Converter {
  public:
    explicit Mp3DecodeConverter(const Mp3WaveFormat& format);

    size_t destinationSize(size_t sourceBytes) const override;
    size_t sourceSize(size_t destinationBytes) const override;
    void reset() override;
    platform::acm::Conversion convert(std::span<const uint8_t> source,
                                      std::span<uint8_t> destination, uint32_t flags) override;

  private:
    enum class Step { Decoded, Skipped, NeedInput, NoRoom };

    size_t pcmFrameBytes() const;
    Step next(std::span<uint8_t> room, size_t& produced);
    bool isHeaderFrame();
    void write(int frameChannels);

    uint32_t sampleRate_;
    uint16_t channels_;
    Mp3InputBuffer input_;
    Mp3DecoderCore core_;
    std::vector<int16_t> pcm_;  // one frame, interleaved
    bool first_ = true;         // the next frame may be a "Xing"/"Info"/"VBRI" frame
};

}  // namespace mp3::acm
