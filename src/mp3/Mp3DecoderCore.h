#pragma once

#include <cstddef>
#include <cstdint>

#include "mp3/L3BitReader.h"
#include "mp3/L3Synthesis.h"
#include "mp3/L3Types.h"
#include "mp3/Mp3FrameHeader.h"
#include "mp3/Mp3Ssc.h"

namespace mp3 {

class Mp3InputBuffer;

inline constexpr int kMaxFrameBytes = static_cast<int>(kMp3MaxFrameBytes);
inline constexpr int kMaxMainDataBegin = 511;
// Main data kept across frames: what main_data_begin reaches back to and the
// longest frame's own.
inline constexpr int kReservoirBytes = 4096;
static_assert(kReservoirBytes >= kMaxMainDataBegin + kMaxFrameBytes);
inline constexpr int kMaxFrameSamples = kMaxGranules * kGranuleLines;

// Options chosen at construction: 8-bit output, reduced output rate
// (1 halves, 2 quarters it) and mono downmix.
struct Mp3DecoderOptions {
    int quality = 0;
    int resolution = 0;
    bool downmix = false;
};

// Everything the stages of one stream need, fixed in size.
struct Mp3CoreState {
    Mp3FrameHeader header;
    L3SideInfo side;
    uint8_t frame[kMaxFrameBytes + kL3ReaderPad];
    uint8_t reservoir[kReservoirBytes + kL3ReaderPad];
    size_t reservoirHeld;
    alignas(16) float xr[kMaxChannels][kGranuleLines + 4];
    int bounds[kMaxChannels];
    L3Scalefactors factors[kMaxChannels];
    alignas(16) float overlap[kMaxChannels][kSlots][kSubbands];
    // Hybrid output of one channel; two more slots of zeros let the
    // synthesis read slots in fours.
    alignas(16) float subbandSamples[(kSlots + 2) * kSubbands];
    L3SynthesisState synthesis[kMaxChannels];
    alignas(16) float pcm[kMaxChannels][kMaxFrameSamples];  // 16-bit scale
    int pcmSamples;                                         // per channel
};

// Decodes the frame the input buffer is synced on into planar float PCM.
class Mp3DecoderCore {
  public:
    explicit Mp3DecoderCore(const Mp3DecoderOptions& options);

    // Empties the reservoir and clears the filter and synthesis memories.
    void reset();
    // kOk, kCrcError or kMissingMainData (frame concealed), kWrongLayer.
    Mp3Ssc decodeFrame(const Mp3InputBuffer& input);

    const Mp3DecoderOptions& options() const { return options_; }
    int outputChannels(const Mp3FrameHeader& header) const;
    // The last frame's output of one channel.
    const float* pcm(int channel) const { return state_.pcm[channel]; }
    int pcmSamples() const { return state_.pcmSamples; }

  private:
    size_t appendMainData(const uint8_t* data, size_t bytes);
    bool decodeGranules(size_t startByte);
    bool decodeChannel(L3BitReader& reader, int gr, int ch);
    void finishGranule(int gr);
    void foldDifferentBlocks(int gr);
    void synthesizeChannel(int gr, int ch, const L3GranuleSide& granule, bool accumulate);
    void conceal();

    Mp3DecoderOptions options_;
    Mp3CoreState state_;
};

}  // namespace mp3
