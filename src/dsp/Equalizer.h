#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "dsp/Biquad.h"
#include "dsp/EqualizerDesign.h"
#include "dsp/EqualizerSettings.h"

namespace dsp {

// The ten-band graphic equalizer on interleaved samples of full scale ±1.
// New settings glide in over kGlideMs (filter gains and pre-amplifier move
// in small steps, so no click); once the settings are neutral and the
// filters have rung out, samples pass untouched, bit for bit. Peaks that a
// boost lifts above full scale are bent down by a soft limiter rather than
// clipped. Not thread-safe: one thread owns it.
class Equalizer {
  public:
    static constexpr double kGlideMs = 40;
    static constexpr size_t kStepFrames = 32;  // frames between coefficient updates

    Equalizer(double rate, unsigned channels);

    // The first settings after construction or Reset() apply at once.
    void SetSettings(const EqualizerSettings& settings);
    // Forgets the filters' memory (the stream jumped or restarted).
    void Reset();
    bool Bypassed() const { return bypassed_; }
    void Process(std::span<double> interleaved);

    double Rate() const { return rate_; }
    unsigned Channels() const { return channels_; }

  private:
    using Gains = std::array<double, kEqualizerBands>;

    void ProcessStep(double* frames, size_t count);
    void UpdateCoefficients();
    void Advance();
    bool Settled() const;
    void EnterBypassWhenRungOut();

    const double rate_;
    const unsigned channels_;
    const EqualizerDesign design_;
    const size_t glideSteps_;
    Gains from_{}, to_{}, now_{};
    double gainFrom_ = 1, gainTo_ = 1, gainNow_ = 1;
    size_t stepsDone_ = 0;
    bool neutralTarget_ = true;
    bool bypassed_ = true;
    bool fresh_ = true;  // nothing set yet: the first settings need no glide
    std::array<BiquadCoefficients, kEqualizerBands> coefficients_{};
    std::vector<BiquadState> states_;  // channel-major: channel * bands + band
};

// Bends values beyond kKnee smoothly towards ±1; the identity below it.
double softLimit(double x);

}  // namespace dsp
