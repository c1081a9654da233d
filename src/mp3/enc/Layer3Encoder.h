#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "mp3/enc/BitstreamEncoder.h"
#include "mp3/enc/BlockSwitch.h"
#include "mp3/enc/GranuleQuantizer.h"
#include "mp3/enc/IntensityStereo.h"
#include "mp3/enc/PolyphaseAnalysis.h"
#include "mp3/enc/PsyModel.h"

namespace mp3::enc {

// Stereo tools a stream may use: 0 none, 1 mid/side, 2 intensity, 3 both.
inline constexpr int kToolsNone = 0;
inline constexpr int kToolsMidSide = 1;
inline constexpr int kToolsIntensity = 2;

// What a stream is coded as: made once by the encoder handle, adjusted by
// the engine that builds the encoder, and taken whole by the encoder.
struct Layer3Config {
    int sampleRate = 44100;
    int channels = 2;
    int bitrate = 128000;  // CBR bitrate; the VBR floor's reference otherwise
    int stereoTools = kToolsMidSide;
    HeaderFlags flags;
    BitstreamMode bitstreamMode = BitstreamMode::Iso;
    bool vbr = false;
    int vbrQuality = 60;  // 1..100
    // The fast engine: cheaper tonality and no distortion loop; otherwise
    // the loop follows the options ("itm", "mol", "amp", "hfs").
    bool fast = false;
    // Given to the encoder as the options "bw" and "padding".
    float lowpass = 0.0f;  // Hz, 0 for the model's own
    PaddingMode padding = PaddingMode::Iso;
};

// The Layer III encoder shared by both engines: analysis filterbank, block
// switching, MDCT, psychoacoustic model, mid/side decision, bit allocation
// with the reservoir, the quantisation loop and the multiplexer. Input is
// one granule (576 samples per channel, full scale 1.0) per call.
class Layer3Encoder {
  public:
    static EncErrorPtr create(const Layer3Config& config, OptionConfig& options,
                              std::unique_ptr<Layer3Encoder>& result);

    // `pcm[ch]` points to 576 samples of each channel.
    void encodeGranule(const float* const* pcm, std::vector<uint8_t>& out);
    // Pushes silence through the pipeline until every real sample is coded,
    // then empties the multiplexer.
    void flush(std::vector<uint8_t>& out);

    // Samples the encoder puts before the first input sample (a decoder adds
    // its own 529).
    int delaySamples() const;
    int samplesPerFrame() const { return bitstream_->samplesPerFrame(); }
    float bandwidth() const { return psyParams_.bandwidth; }
    // Sizes of the frames made since the last call (for seek tables).
    std::vector<int> takeFrameSizes();

  private:
    struct ChannelState {
        PolyphaseAnalysis analysis;
        std::unique_ptr<PsyModel> psy;
        std::unique_ptr<BlockSwitch> blockSwitch;
        SubbandGranule subbands[3];  // n-2, n-1, n
        bool wantsShort[2] = {};     // n-1, n
    };
    struct GranuleWork {
        int blockType[kMaxChannels] = {};
        bool mixed[kMaxChannels] = {};
        float xr[kMaxChannels][kGranuleLines];
        float xi[kMaxChannels][kGranuleLines];  // sine part, for the model only
        PsyResult psy[kMaxChannels];
    };

    Layer3Encoder() = default;
    EncErrorPtr init(const Layer3Config& config, OptionConfig& options);
    void analyseGranule(const float* const* pcm);
    void transformGranule(GranuleWork& work);
    void lowpass(float* lines, int blockType) const;
    bool decideMidSide() const;
    void applyMidSide(GranuleWork& work) const;
    bool planIntensity(const FrameSetup& setup);
    int cbrTarget(const FrameSetup& setup) const;
    void encodeFrame(std::vector<uint8_t>& out);
    void setupGranules();
    int frameBits(int offset);
    int fitOffset(int target);
    void codeGranules(int offset, int target);
    int frameTarget(const FrameSetup& setup, int pool, int minimum) const;
    void codeFrameCbr(const FrameSetup& setup);
    void codeFrameVbr(FrameSetup& setup);
    void writeFrame(const FrameSetup& setup, std::vector<uint8_t>& out);
    void shareScalefactors();

    Layer3Config config_;
    PsyParams psyParams_;
    LoopSettings loop_;
    std::unique_ptr<BitstreamEncoder> bitstream_;
    std::unique_ptr<PsyLayout> layout_;
    std::unique_ptr<GranuleQuantizer> quantizer_[kMaxGranules][kMaxChannels];
    ShortOrder shortOrder_{};
    ChannelState channel_[kMaxChannels];
    int channels_ = 2;
    int granules_ = 2;
    int granulesSeen_ = 0;
    int pending_ = 0;  // granules of the frame being collected
    GranuleWork work_[kMaxGranules];
    // Intensity stereo: the decision, both channels as they were before any
    // stereo coding, and each granule's plan.
    std::unique_ptr<IntensityStereo> intensity_;
    float original_[kMaxGranules][kMaxChannels][kGranuleLines];
    PsyResult originalPsy_[kMaxGranules][kMaxChannels];
    IntensityPlan plans_[kMaxGranules];
    bool intensityFrame_ = false;
    FrameCode frame_;
    bool midSide_ = false;
    float noiseScale_ = 1.0f;
    int lowpassLine_ = kGranuleLines;
    int lowpassShortLine_ = kShortLines;
    std::vector<int> frameSizes_;
    long long framesWritten_ = 0;
};

}  // namespace mp3::enc
