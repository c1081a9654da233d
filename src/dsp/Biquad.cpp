#include "dsp/Biquad.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace dsp {

namespace {

constexpr double kMaxWidening = 3.2;

}  // namespace

BiquadCoefficients BiquadCoefficients::peaking(double centreHz, double octaves, double gainDb,
                                               double rate) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2 * std::numbers::pi * centreHz / rate;
    // The widening that undoes the squeeze grows without bound towards
    // Nyquist; beyond this the bell would swallow its neighbours.
    const double widening = std::min(w0 / std::sin(w0), kMaxWidening);
    const double alpha = std::sin(w0) * std::sinh(std::numbers::ln2 / 2 * octaves * widening);
    const double cosW0 = std::cos(w0);
    const double a0 = 1 + alpha / a;
    BiquadCoefficients c;
    c.b0 = (1 + alpha * a) / a0;
    c.b1 = -2 * cosW0 / a0;
    c.b2 = (1 - alpha * a) / a0;
    c.a1 = c.b1;
    c.a2 = (1 - alpha / a) / a0;
    return c;
}

double BiquadCoefficients::responseDb(double hz, double rate) const {
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * hz / rate);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2);
    return 20 * std::log10(std::abs(h));
}

}  // namespace dsp
