#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mp3::enc {

// Builds the "VBRI" header frame of a variable-bitrate stream: the totals
// and a seek table of cumulative byte offsets, taken every frames-per-entry
// frames. The table stays uniform and bounded: when it is full, every
// second entry is dropped and the spacing doubles.
class VbriWriter {
  public:
    static constexpr int kMaxEntries = 200;

    // The header frame is one frame of the stream's own version, rate and
    // channel count; `delay` goes into the header as it stands.
    VbriWriter(int sampleRate, int channels, bool copyright, bool original, bool privateBit);

    void setDelay(int samples) { delay_ = samples; }
    void setQuality(int quality) { quality_ = quality; }
    // Counts one encoded frame of `bytes` bytes.
    void addFrame(int bytes);

    int frameBytes() const { return frameBytes_; }
    uint32_t frames() const { return frames_; }
    uint64_t streamBytes() const { return offset_; }
    int spacing() const { return spacing_; }
    const std::vector<uint64_t>& entries() const { return entries_; }
    // Writes the header frame; returns its size, or 0 when `size` is smaller.
    size_t build(uint8_t* out, size_t size) const;

  private:
    uint32_t headerWord() const;
    std::vector<uint64_t> finalTable() const;

    int sampleRate_;
    int channels_;
    int version_ = 0;  // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
    int bitrateIndex_ = 0;
    int frameBytes_ = 0;
    int samplesPerFrame_ = 1152;
    bool copyright_;
    bool original_;
    bool private_;
    int delay_ = 0;
    int quality_ = 100;
    uint32_t frames_ = 0;            // encoded frames, the header not counted
    uint64_t offset_ = 0;            // start of the next frame, header included
    int spacing_ = 1;                // frames per entry
    std::vector<uint64_t> entries_;  // cumulative start offsets, every spacing_ frames
};

}  // namespace mp3::enc
