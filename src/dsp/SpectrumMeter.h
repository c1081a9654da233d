#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dsp {

// The bar meter of the spectrum display: per band a bar of 10 segments
// whose height counts half segments (0..20). A louder value lifts the bar
// at once; after each drawing it falls half a segment. -10 dB or louder
// lights every segment, -60 dB or quieter none.
class SpectrumMeter {
  public:
    static constexpr int kSegments = 10;
    static constexpr int kMaxHeight = 2 * kSegments;
    static constexpr double kSilentDb = -999;

    enum class Segment : uint8_t { kOff, kTop, kLit };

    explicit SpectrumMeter(size_t bands = 0);

    void SetBands(size_t bands);
    size_t Bands() const { return bars_.size(); }
    void SetValue(size_t band, double db);
    // What segment `segment` (0 at the bottom) of `band` shows now.
    Segment State(size_t band, int segment) const;
    // The segments that show another state than at the last drawing (all
    // of them when `full`), as band * kSegments + segment; the caller paints
    // them. Then every bar falls by half a segment.
    std::vector<size_t> Draw(bool full);
    // Every segment as the last drawing showed it, band by band.
    const std::vector<Segment>& Shown() const { return shown_; }
    // True while any bar is above the floor.
    bool Moving() const;

  private:
    struct Bar {
        int height = 0;
        int held = 0;  // the highest target since the bar was last at 0
    };

    std::vector<Bar> bars_;
    std::vector<Segment> shown_;  // as last drawn
};

}  // namespace dsp
