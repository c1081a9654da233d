#pragma once

#include "mp3/enc/EncError.h"
#include "mp3/enc/EncTypes.h"
#include "mp3/enc/OptionConfig.h"

namespace mp3::enc {

// How a bitrate is turned into a bitrate index.
enum class BitrateSelect { Exact, Ceiling, Floor, Next, Free };

inline constexpr int kBitrateIndexInvalid = 15;

// Bitstream modes: exact ISO bitrates, a mix of the two nearest table
// bitrates, or free format.
enum class BitstreamMode { Iso, Mixed, Free };

// Padding of the frames: as ISO's rule keeps the mean bitrate, never, or
// always (the option "padding" gives the number).
enum class PaddingMode { Iso = 0, Never = 1, Always = 2 };

// Table bitrate (bit/s) of an index 0..14 of a bitstream type; entry 0 is the
// lowest free-format bitrate. 0 where the type has no such index.
int tableBitrate(int type, int index);
int bitrateIndex(int type, int bitrate, BitrateSelect select);
// 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5 by sample rate; -1 outside the nine rates.
int bitstreamTypeOf(int sampleRate);
int samplingIndexOf(int sampleRate);

// What one frame may be: its length, index and padding, and the state of the
// bit reservoir it starts from.
struct FrameSetup {
    int frameBytes = 0;
    int bitrateIndex = 0;
    int padding = 0;
    int mainDataBits = 0;   // the frame's own main-data space
    int reservoirFill = 0;  // bits earlier frames left (= main_data_begin * 8)
    int reservoirRoom = 0;  // bits the reservoir may still take
    int meanFrameBits = 0;
};

// Frame lengths, padding, bitrate mixing and reservoir accounting of one
// stream.
class FrameBits {
  public:
    // overheadBits: header, CRC and side information of every frame.
    EncErrorPtr init(OptionConfig& options, int bitrate, int sampleRate, int type,
                     BitstreamMode mode, int overheadBits);
    // The next frame's set-up; call commit() with what it used before the next.
    FrameSetup advance();
    // The next frame at a given bitrate index and without padding, for
    // variable bitrate streams.
    FrameSetup advanceAt(int bitrateIndex);
    // Books the main-data bits the frame used (any bit count) and returns the
    // stuffing bits to append so that the reservoir stays within its cap.
    int commit(int usedBits);

    int samplesPerFrame() const { return samplesPerFrame_; }
    int reservoirCap() const { return reservoirCap_; }
    int reservoirFill() const { return fill_; }
    BitstreamMode mode() const { return mode_; }

  private:
    int choosePadding();
    int chooseIndex(int padding);
    int frameBytesOf(int bitrate, int padding) const;
    FrameSetup setupFor(int bitrateIndex, int padding);

    int bitrate_ = 0;
    int sampleRate_ = 0;
    int type_ = 0;
    BitstreamMode mode_ = BitstreamMode::Iso;
    PaddingMode paddingMode_ = PaddingMode::Iso;
    int samplesPerFrame_ = 1152;
    int overheadBits_ = 0;
    int reservoirCap_ = 0;
    int fill_ = 0;
    long long paddingRemainder_ = 0;
    long long paddingAccumulator_ = 0;
    double byteDifference_ = 0.0;  // actual minus requested bytes so far (mixed mode)
    FrameSetup current_;
};

}  // namespace mp3::enc
