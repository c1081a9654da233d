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

// Builds the ISO encoder for a CBR stream: fills the option configuration
// from the record and the bitrate check, then creates the encoder.
EncErrorPtr createIsoEncoder(const IsoEncoderParams& params, OptionConfig& options,
                             int inputChannels, int outputRate, int outputChannels, int bitrate,
                             int stereoTools, bool fullSearch, bool crc,
                             std::unique_ptr<EncodingEngine>& result);

// The fast engine's creation parameters.
struct FastEngineParams {
    int outputRate = 44100;
    int bitrate = 0;  // 0 in VBR mode
    int outputChannels = 2;
    int inputChannels = 2;
    float lowpass = 0.0f;
    bool midSide = true;
    bool vbr = false;
    int vbrQuality = 60;
    bool fastFlag = false;  // encoder quality above 0
    int paddingMode = 0;
    int engineValue = 0;  // nonzero: frames carry a CRC
    bool privateBit = false;
    bool copyright = false;
    bool original = false;
};

EncErrorPtr createFastEngine(const FastEngineParams& params, OptionConfig& options,
                             std::unique_ptr<EncodingEngine>& result);

}  // namespace mp3::enc
