#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::acm {

// The coefficient table of a Kaiser-windowed sinc low-pass for resampling
// from one rate to another, split into phases. The pass band reaches
// 0.45 x the lower rate, the stop band starts at 0.5 x the lower rate, and
// the stop band is kStopbandDb down.
//
// An output at input position n + f (0 <= f < 1) is the dot product of
// taps() input frames starting at frame n - (halfWidth() - 1) with the row
// for f. When the rates' reduced ratio has few enough phases every phase
// has its own row (exact()); otherwise rows are spaced 1/phaseCount() apart
// and the caller interpolates between neighbours (phaseCount() + 1 rows).
class PolyphaseFilter {
  public:
    static constexpr double kPassbandEdge = 0.45;  // x the lower rate
    static constexpr double kStopbandEdge = 0.5;
    static constexpr double kStopbandDb = 110.0;

    PolyphaseFilter(uint32_t inRate, uint32_t outRate);

    size_t taps() const { return taps_; }  // a multiple of 8; the tail is zero
    size_t halfWidth() const { return halfWidth_; }
    bool exact() const { return exact_; }
    size_t phaseCount() const { return phases_; }
    const float* row(size_t phase) const { return &table_[phase * taps_]; }

  private:
    void fill(double cutoff, double beta);

    size_t halfWidth_ = 0;
    size_t taps_ = 0;
    bool exact_ = true;
    size_t phases_ = 0;
    std::vector<float> table_;
};

}  // namespace platform::acm
