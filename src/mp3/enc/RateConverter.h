#pragma once

#include <vector>

namespace mp3::enc {

// Polyphase sample-rate converter for interleaved float samples: a
// Kaiser-windowed sinc evaluated at the phases of the least common multiple
// of the two rates, passing up to `passbandHz`.
class RateConverter {
  public:
    RateConverter(int inputRate, int outputRate, int channels, double passbandHz);

    // Appends the output for `frames` input frames to `out`.
    void process(const float* in, int frames, std::vector<float>& out);
    // Feeds the zeros that let the last input samples come out.
    void flush(std::vector<float>& out);
    bool passthrough() const { return up_ == down_; }

  private:
    int up_ = 1;    // L: output rate / gcd
    int down_ = 1;  // M: input rate / gcd
    int channels_;
    int halfTaps_ = 0;
    std::vector<float> taps_;     // [phase][2 * halfTaps_]
    std::vector<float> history_;  // interleaved input not yet fully used
    long long nextPhase_ = 0;     // output index * M, relative to history_ start * L
};

}  // namespace mp3::enc
