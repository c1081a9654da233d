#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "mp3/enc/BitWriter.h"
#include "mp3/enc/EncTypes.h"
#include "mp3/enc/FrameBits.h"
#include "mp3/enc/OptionConfig.h"

namespace mp3::enc {

struct BitstreamParams {
    int sampleRate = 44100;
    int bitrate = 128000;
    HeaderFlags flags;
    int emphasis = 0;
    StereoMode stereoMode = StereoMode::Joint;
    BitstreamMode bitstreamMode = BitstreamMode::Mixed;
};

// Turns coded granules into Layer III frames: header, side information, CRC
// and main data placed back into earlier frames' free space.
class BitstreamEncoder {
  public:
    static EncErrorPtr create(OptionConfig& options, const BitstreamParams& params,
                              std::unique_ptr<BitstreamEncoder>& result);

    // The next frame's length and the reservoir it may draw on.
    FrameSetup advance() { return frameBits_.advance(); }
    FrameSetup advanceAt(int bitrateIndex) { return frameBits_.advanceAt(bitrateIndex); }
    // Writes the frame set up by the last advance(); finished bytes are
    // appended to `out`. The granules' part2_3_length must be filled in.
    void write(const FrameSetup& setup, const FrameCode& frame, std::vector<uint8_t>& out);
    // Emits every queued frame, filling main data not yet written with zeros.
    void flush(std::vector<uint8_t>& out);

    int type() const { return type_; }
    int channels() const { return channels_; }
    int granules() const { return granules_; }
    int samplesPerFrame() const { return frameBits_.samplesPerFrame(); }
    int sideInfoBits() const { return sideBits_; }
    int overheadBits() const { return 32 + crcBits_ + sideBits_; }
    const FrameBits& frameBits() const { return frameBits_; }

  private:
    struct QueueSlot {
        int headerSideBits = 0;
        int mainDataBits = 0;
    };
    static constexpr int kQueueSlots = 64;

    BitstreamEncoder() = default;
    uint32_t headerWord(const FrameSetup& setup, int modeExtension) const;
    void writeSideInfo(BitWriter& out, const FrameCode& frame, int mainDataBegin) const;
    void writeGranuleSide(BitWriter& out, const L3GranuleSide& g) const;
    void writeMainData(const FrameCode& frame, int stuffingBits);
    void emit(std::vector<uint8_t>& out, bool final);

    BitstreamParams params_;
    int type_ = 0;
    int samplingIndex_ = 0;
    int channels_ = 2;
    int granules_ = 2;
    int crcBits_ = 0;
    int sideBits_ = 0;
    FrameBits frameBits_;
    BitWriter headerSide_{8000};
    BitWriter mainData_{64000};
    std::array<QueueSlot, kQueueSlots> queue_{};
    int queueHead_ = 0;
    int queueCount_ = 0;
    const L3BandTable* bands_ = nullptr;
};

}  // namespace mp3::enc
