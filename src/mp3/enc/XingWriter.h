#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mp3::enc {

// Builds the "Info" header frame of a constant-bitrate stream: the Xing
// fields (frames, bytes, a 100-point seek table, quality) and the LAME
// extension, whose delay and padding let a decoder play the real samples
// alone. The frame has the stream's version, rate and channel count, and
// its bitrate where a frame of it holds the fields, else the lowest that does.
class XingWriter {
  public:
    XingWriter(int sampleRate, int channels, int bitrate, bool copyright, bool original,
               bool privateBit);

    void setDelay(int samples) { delay_ = samples; }
    void setQuality(int quality) { quality_ = quality; }
    void setLowpass(float hz) { lowpassHz_ = hz; }
    // Counts one encoded frame of `bytes` bytes.
    void addFrame(int bytes);
    // The encoded bytes, for the extension's CRC of the audio.
    void addAudio(const uint8_t* data, size_t count);
    // Counts real samples per channel at the stream's rate, silence the
    // flush adds not included.
    void addSamples(uint64_t samples) { samples_ += samples; }

    int frameBytes() const { return frameBytes_; }
    uint32_t frames() const { return static_cast<uint32_t>(starts_.size()); }
    // The samples after the last real one: the frames' samples beyond the
    // delay and the real ones.
    uint32_t padding() const;
    // Writes the header frame; returns its size, or 0 when `size` is smaller.
    size_t build(uint8_t* out, size_t size) const;

  private:
    uint32_t headerWord() const;
    size_t fieldsAt() const;
    void putToc(uint8_t* toc) const;
    void putLameTag(uint8_t* frame, size_t at) const;

    int sampleRate_;
    int channels_;
    int bitrate_;
    int version_ = 0;  // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
    int bitrateIndex_ = 1;
    int frameBytes_ = 0;
    int samplesPerFrame_ = 1152;
    bool copyright_;
    bool original_;
    bool private_;
    int delay_ = 0;
    int quality_ = 0;
    float lowpassHz_ = 0.0f;
    uint64_t samples_ = 0;
    uint64_t offset_ = 0;           // start of the next frame, header included
    std::vector<uint64_t> starts_;  // where each encoded frame starts
    uint16_t audioCrc_ = 0;
};

}  // namespace mp3::enc
