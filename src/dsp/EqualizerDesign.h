#pragma once

#include <array>
#include <vector>

#include "dsp/Biquad.h"
#include "dsp/EqualizerSettings.h"

namespace dsp {

// Turns band levels into the gains of ten peaking filters. Bells an octave
// apart overlap, so the filter gains are solved for together: through the
// matrix of how much each filter adds at each design point (the centres
// and the points halfway between them, whose wanted level lies halfway
// between the neighbours'), fitted by weighted least squares and then
// corrected with the exact responses, since dB do not add linearly in the
// gains.
class EqualizerDesign {
  public:
    static constexpr std::array<double, kEqualizerBands> kCentresHz = {
        31.25, 62.5, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    // A little over one octave (Q 1.28): with exactly one octave (Q 1.41)
    // equal levels ripple by more than 1 dB between the centres.
    static constexpr double kBandwidthOctaves = 1.1;
    static constexpr double kMaxFilterDb = 30;

    explicit EqualizerDesign(double rate);

    // Centres as used at this rate: kept below Nyquist. A band whose centre
    // would come too close to the one below it is left out (flat filter).
    const std::array<double, kEqualizerBands>& Centres() const { return centres_; }
    bool Active(size_t band) const { return active_[band]; }

    std::array<double, kEqualizerBands> FilterGains(
        const std::array<double, kEqualizerBands>& levelsDb) const;
    BiquadCoefficients Filter(size_t band, double gainDb) const;
    // The response of the whole cascade at hz for the given filter gains.
    double ResponseDb(const std::array<double, kEqualizerBands>& filterGains, double hz) const;

  private:
    using Vector = std::array<double, kEqualizerBands>;
    struct Point {
        double hz;
        size_t low, high;  // the bands whose levels are wanted here (averaged)
        double weight;
        Vector share;  // dB each filter adds here per dB of its gain
    };

    void Factor();
    Vector Solve(const std::vector<double>& pointErrors) const;

    double rate_;
    Vector centres_{};
    std::array<bool, kEqualizerBands> active_{};
    std::vector<size_t> bands_;  // the active bands
    std::vector<Point> points_;
    // LU factors of the normal equations over the active bands.
    std::array<Vector, kEqualizerBands> lu_{};
    std::array<size_t, kEqualizerBands> pivot_{};
};

}  // namespace dsp
