#pragma once

#include <memory>
#include <vector>

#include "mp3/enc/EncError.h"
#include "mp3/enc/Layer3Encoder.h"
#include "mp3/enc/OptionConfig.h"

namespace mp3::enc {

// What a Layer III engine offers the handle: interleaved float granules in,
// frames out, and the facts the "VBRI" header needs.
class EncodingEngine {
  public:
    explicit EncodingEngine(std::unique_ptr<Layer3Encoder> encoder, int channels);

    // 576 interleaved samples per channel (full scale 1.0); null flushes.
    void encode(const float* samples, std::vector<uint8_t>& out);
    // Sizes of the frames made since the last call.
    std::vector<int> takeFrameSizes() { return encoder_->takeFrameSizes(); }
    float bandwidth() const { return encoder_->bandwidth(); }
    int delay() const { return encoder_->delaySamples(); }
    int samplesPerFrame() const { return encoder_->samplesPerFrame(); }

  private:
    std::unique_ptr<Layer3Encoder> encoder_;
    int channels_;
    std::vector<float> planes_[kMaxChannels];
};

// The ISO encoder's parameter record, set by number.
struct IsoEncoderParams {
    int quality = 9;
    int disableIntensity = 0;
    float lowpass = 0.0f;
    int allowMono = 0;
    int paddingMode = 0;
    int emptyFirst = 1;
    int headerFlags = 0;  // private 1, copyright 2, original 4
    int last = 0;
};
inline constexpr int kHeaderPrivate = 1;
inline constexpr int kHeaderCopyright = 2;
inline constexpr int kHeaderOriginal = 4;

// Sets parameter `number` (0 quality, 2 disable intensity, 3 allow mono,
// 4 padding, 5 keep the configuration, 6 header flags, 7 the last value,
// 8 low-pass frequency).
EncErrorPtr setIsoParam(IsoEncoderParams& params, int number, double value);

// Builds the ISO encoder for a CBR stream: the record's values (low-pass,
// padding, header flags, intensity stereo, the quality's loop options) go
// over the stream's configuration, then the encoder is made.
EncErrorPtr createIsoEncoder(const IsoEncoderParams& params, Layer3Config stream, bool fullSearch,
                             int inputChannels, OptionConfig& options,
                             std::unique_ptr<EncodingEngine>& result);

// Builds the fast engine, for CBR or VBR, as the stream's configuration says.
EncErrorPtr createFastEngine(const Layer3Config& stream, int inputChannels, OptionConfig& options,
                             std::unique_ptr<EncodingEngine>& result);

}  // namespace mp3::enc
