#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace dsp {

// The spectrum display's analysis: a radix-2 transform of one channel of
// PCM (stereo averaged), the power of each bin and band levels in dB
// relative to a full-scale sine, at most 0 dB. Buffers and twiddles are
// made when the band count changes, never per frame. Not locked: its owner
// guards it.
class SpectrumAnalyzer {
  public:
    static constexpr size_t kMinSize = 8;
    static constexpr size_t kMaxSize = 65536;

    explicit SpectrumAnalyzer(size_t bands);

    // 16 bands take 512 points, 32 bands 1024, others the next power of two.
    static size_t TransformSize(size_t bands);
    // The full-scale power of a transform of `size` points.
    static double FullScale(size_t size);

    void SetBands(size_t bands);
    // 8-bit (unsigned) or 16-bit samples, one or two channels.
    void SetLayout(unsigned bitsPerSample, unsigned channels);
    size_t Size() const { return work_.size(); }
    size_t FrameBytes() const { return size_t{bytesPerSample_} * channels_; }

    // Analyses the first Size() frames; `samples` must hold them.
    void Analyze(std::span<const uint8_t> samples);
    const std::vector<double>& BandValues() const { return bands_; }

  private:
    void Load(std::span<const uint8_t> samples);
    void Transform();
    void Powers();
    void SumBands();

    size_t bandCount_ = 0;
    unsigned bytesPerSample_ = 2;
    unsigned channels_ = 2;
    double fullScale_ = 1;
    std::vector<std::complex<double>> twiddles_;  // stage by stage: e^(-iπk / half), k < half
    std::vector<std::complex<double>> work_;
    std::vector<double> power_;   // bins 1 .. size / 2
    std::vector<size_t> widths_;  // bins per band, lowest band first
    std::vector<double> bands_;
};

}  // namespace dsp
