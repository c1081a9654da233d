#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mp3/enc/EncoderFormats.h"
#include "mp3/enc/EncodingEngine.h"
#include "mp3/enc/OptionConfig.h"
#include "mp3/enc/VbriWriter.h"
#include "mp3/enc/XingWriter.h"
#include "platform/acm/Resampler.h"

namespace mp3::enc {

// The encoder configuration, twelve 32-bit values read and written whole.
struct Mp3EncoderConfig {
    int32_t inputFormat = 0;  // 0 16-bit integer, 1 32-bit float (full scale 1.0)
    int32_t paddingMode = 0;  // 0 ISO, 1 never, 2 always
    int32_t allowIntensity = 1;
    int32_t allowMidSide = 1;
    int32_t allowMono = 1;    // mono output from stereo input
    int32_t engineValue = 0;  // nonzero: frames carry a CRC
    int32_t vbrQuality = 0;   // 0 constant bitrate, else 1..100
    int32_t privateBit = 0;
    int32_t copyright = 0;
    int32_t original = 0;
    float lowpass = 0.0f;      // Hz, 0 for the engine's own
    int32_t engineOutput = 0;  // set by the handle: the engine's delay in samples
};
static_assert(sizeof(Mp3EncoderConfig) == 48);

// An offered format as the caller sees it.
struct Mp3Format {
    int sampleRate = 0;
    int channels = 0;
    int bitrate = 0;
    friend bool operator==(const Mp3Format&, const Mp3Format&) = default;
};

enum class Mp3Engine { None, Iso, Fast };

// The encoder handle: PCM in, MP3 frames out, through the ISO encoder or
// the fast engine with channel and rate conversion in front. Every
// operation reports failure by its result; an internal fault of the encoder
// fails the call (lastError() says why) and never ends the process.
class Mp3EncoderHandle {
  public:
    static constexpr size_t kMinOutputBytes = 4096;
    static constexpr int kMaxListedFormats = 64;

    // quality 0, 1 or 2 (fast, standard, high: encoder quality 0, 5, 9).
    // Null when the handle cannot be initialised for the input.
    static std::unique_ptr<Mp3EncoderHandle> create(double inputRate, int inputChannels,
                                                    int quality);

    Mp3EncoderConfig config() const { return config_; }
    bool setConfig(const Mp3EncoderConfig& config);
    bool setOutputFormat(int sampleRate, int channels, int bitrate);
    // The first 64 offered formats.
    std::vector<Mp3Format> formats() const;
    // Whether the format is on offer, past the 64 listed ones too: at the
    // higher qualities the list runs longer.
    bool offers(const Mp3Format& format) const;

    // Encodes `inputBytes` of interleaved PCM (null and 0 flush; repeat the
    // flush until it returns 0). Returns the MP3 bytes written to `out`,
    // 0 when more input is needed, -1 on failure or when `outSize` is below
    // kMinOutputBytes.
    int encode(const void* input, size_t inputBytes, size_t* consumed, uint8_t* out,
               size_t outSize);
    // In VBR mode, writes the "VBRI" header frame with the counts so far;
    // returns its size, 0 when not in VBR mode or the buffer is too small.
    size_t vbriHeader(uint8_t* buffer, size_t size) const;
    // In CBR mode, the same for the "Info" header frame, whose padding is
    // right once the flush is done.
    size_t infoHeader(uint8_t* buffer, size_t size) const;

    int outputRate() const { return outputRate_; }
    int outputChannels() const { return outputChannels_; }
    int bitrate() const { return bitrate_; }
    int encoderQuality() const { return quality_; }
    Mp3Engine engine() const { return engineKind_; }
    const std::string& lastError() const { return lastError_; }

  private:
    Mp3EncoderHandle() = default;
    bool initialise();
    bool buildEngine();
    Layer3Config streamConfig(bool vbr) const;
    EncErrorPtr buildIsoEncoder(Layer3Config stream);
    void release();
    void fail(const std::string& message);
    bool convertInput(const uint8_t* data, size_t frames);
    void flushResampler();
    void countSamples(size_t frames);
    void feedGranules(bool final);
    void takeFrames();
    size_t drain(uint8_t* out, size_t outSize);
    int encodeInput(const uint8_t* input, size_t inputBytes, size_t* consumed, size_t outSize);

    double inputRate_ = 0.0;
    int inputChannels_ = 0;
    int outputRate_ = 0;
    int outputChannels_ = 0;
    int bitrate_ = 0;
    int quality_ = 0;
    Mp3EncoderConfig config_;
    Mp3Engine engineKind_ = Mp3Engine::None;
    IsoEncoderParams isoParams_;
    OptionConfig options_;
    std::unique_ptr<EncodingEngine> engine_;
    std::unique_ptr<platform::acm::Resampler> resampler_;
    std::unique_ptr<VbriWriter> vbri_;
    std::unique_ptr<XingWriter> xing_;
    std::vector<float> converted_;  // interleaved output-rate samples not yet coded
    std::vector<uint8_t> partial_;  // bytes of an incomplete input frame
    std::vector<uint8_t> pending_;  // MP3 bytes not yet handed out
    size_t pendingRead_ = 0;
    bool flushed_ = false;
    std::string lastError_;
};

}  // namespace mp3::enc
