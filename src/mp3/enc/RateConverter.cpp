#include "mp3/enc/RateConverter.h"

#include <cmath>
#include <numeric>

namespace mp3::enc {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int kZeroCrossings = 16;
constexpr double kKaiserBeta = 8.0;

double besselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 30; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}
}  // namespace

RateConverter::RateConverter(int inputRate, int outputRate, int channels, double passbandHz)
    : channels_(channels) {
    const int g = std::gcd(inputRate, outputRate);
    up_ = outputRate / g;
    down_ = inputRate / g;
    if (passthrough()) {
        return;
    }
    // Cutoff as a fraction of the input rate; the kernel spans a fixed
    // number of zero crossings of it.
    const double cutoff = std::min(passbandHz, 0.5 * std::min(inputRate, outputRate)) / inputRate;
    halfTaps_ = static_cast<int>(std::ceil(kZeroCrossings / (2.0 * cutoff)));
    const int width = 2 * halfTaps_;
    taps_.assign(static_cast<size_t>(up_) * static_cast<size_t>(width), 0.0f);
    const double norm = besselI0(kKaiserBeta);
    for (int p = 0; p < up_; ++p) {
        const double frac = static_cast<double>(p) / up_;
        for (int k = 0; k < width; ++k) {
            // Distance in input samples from the output instant to tap k.
            const double t = frac + (halfTaps_ - 1 - k);
            const double x = 2.0 * cutoff * t;
            const double sinc = x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
            const double r = t / halfTaps_;
            const double window =
                r * r >= 1.0 ? 0.0 : besselI0(kKaiserBeta * std::sqrt(1.0 - r * r)) / norm;
            taps_[static_cast<size_t>(p * width + k)] =
                static_cast<float>(2.0 * cutoff * sinc * window);
        }
    }
    // Lead-in of silence so that the first output sample is centred on input 0.
    history_.assign(static_cast<size_t>((halfTaps_ - 1) * channels_), 0.0f);
}

void RateConverter::process(const float* in, int frames, std::vector<float>& out) {
    if (passthrough()) {
        out.insert(out.end(), in, in + static_cast<size_t>(frames * channels_));
        return;
    }
    history_.insert(history_.end(), in, in + static_cast<size_t>(frames * channels_));
    const int width = 2 * halfTaps_;
    const long long held = static_cast<long long>(history_.size()) / channels_;
    long long position = nextPhase_;
    for (;;) {
        const long long base = position / up_;
        if (base + width > held) {
            break;
        }
        const float* taps = &taps_[static_cast<size_t>((position % up_) * width)];
        for (int ch = 0; ch < channels_; ++ch) {
            const float* x = &history_[static_cast<size_t>(base * channels_ + ch)];
            float sum = 0.0f;
            for (int k = 0; k < width; ++k) {
                sum += taps[k] * x[k * channels_];
            }
            out.push_back(sum);
        }
        position += down_;
    }
    const long long drop = position / up_;
    history_.erase(history_.begin(),
                   history_.begin() + static_cast<std::ptrdiff_t>(drop * channels_));
    nextPhase_ = position - drop * up_;
}

void RateConverter::flush(std::vector<float>& out) {
    if (passthrough()) {
        return;
    }
    const std::vector<float> zeros(static_cast<size_t>(2 * halfTaps_ * channels_), 0.0f);
    process(zeros.data(), 2 * halfTaps_, out);
}

}  // namespace mp3::enc
