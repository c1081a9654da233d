#include "platform/acm/PolyphaseFilter.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace platform::acm {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr size_t kTapAlign = 8;
// Rows kept when every phase of the reduced ratio gets its own row.
constexpr size_t kMaxExactTableFloats = size_t{1} << 20;
// Rows per input sample when interpolating, for a full-band cutoff; linear
// interpolation between them stays about 118 dB below the signal.
constexpr double kInterpolatedPhases = 1024;

// Zeroth-order modified Bessel function of the first kind (power series).
double besselI0(double x) {
    double sum = 1.0, term = 1.0;
    const double q = x * x / 4.0;
    for (int k = 1; term > sum * 1e-17; ++k) {
        term *= q / (double(k) * k);
        sum += term;
    }
    return sum;
}

double kaiserBeta(double attenuationDb) {
    return 0.1102 * (attenuationDb - 8.7);
}

// Taps a Kaiser design needs for `attenuationDb` over a transition of
// `width` cycles per sample.
size_t kaiserLength(double attenuationDb, double width) {
    return static_cast<size_t>(std::ceil((attenuationDb - 7.95) / (2.285 * 2 * kPi * width))) + 1;
}

}  // namespace

PolyphaseFilter::PolyphaseFilter(uint32_t inRate, uint32_t outRate) {
    const uint32_t g = std::gcd(inRate, outRate);
    const size_t upPhases = outRate / g;
    // Band edges in cycles per input sample.
    const double scale = std::min(1.0, double(outRate) / inRate);
    const double cutoff = (kPassbandEdge + kStopbandEdge) / 2 * scale;
    const double width = (kStopbandEdge - kPassbandEdge) * scale;
    halfWidth_ = (kaiserLength(kStopbandDb, width) + 1) / 2;
    taps_ = (2 * halfWidth_ + kTapAlign - 1) / kTapAlign * kTapAlign;
    exact_ = upPhases * taps_ <= kMaxExactTableFloats;
    phases_ = exact_ ? upPhases
                     : static_cast<size_t>(std::max(64.0, std::ceil(kInterpolatedPhases * scale)));
    fill(cutoff, kaiserBeta(kStopbandDb));
}

void PolyphaseFilter::fill(double cutoff, double beta) {
    const size_t rows = exact_ ? phases_ : phases_ + 1;
    table_.assign(rows * taps_, 0.0f);
    const double i0Beta = besselI0(beta);
    const double h = double(halfWidth_);
    std::vector<double> row(2 * halfWidth_);
    for (size_t p = 0; p < rows; ++p) {
        const double frac = double(p) / double(phases_);
        for (size_t i = 0; i < row.size(); ++i) {
            const double t = double(i) - (h - 1) - frac;
            const double r = t / h;
            const double window = besselI0(beta * std::sqrt(std::max(0.0, 1 - r * r))) / i0Beta;
            const double x = 2 * cutoff * t;
            const double sinc = x == 0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
            row[i] = 2 * cutoff * sinc * window;
        }
        // Each phase passes DC at exactly unit gain, so no phase-rate ripple
        // rides on steady signals.
        const double sum = std::accumulate(row.begin(), row.end(), 0.0);
        std::transform(row.begin(), row.end(), &table_[p * taps_],
                       [sum](double c) { return static_cast<float>(c / sum); });
    }
}

}  // namespace platform::acm
