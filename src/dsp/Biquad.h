#pragma once

#include <algorithm>
#include <cmath>

namespace dsp {

// Coefficients of one second-order section, normalised so that a0 = 1.
struct BiquadCoefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;

    // A peaking (bell) filter: gainDb at centreHz, 0 dB far from it, the
    // bandwidth in octaves kept as in the analogue filter even near Nyquist
    // (where the bilinear transform would squeeze it).
    static BiquadCoefficients peaking(double centreHz, double octaves, double gainDb, double rate);
    // The magnitude of the response at hz, in dB.
    double responseDb(double hz, double rate) const;
};

// Direct form I memory of one section on one channel. Its memory holds
// the signal itself, so coefficients may move while it runs without the
// transients that forms storing scaled sums give.
struct BiquadState {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    double step(const BiquadCoefficients& c, double x) {
        const double y = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
    // How far the output still differs from the input (a flat section
    // rings out to zero).
    double ringing() const { return std::max(std::abs(y1 - x1), std::abs(y2 - x2)); }
};

}  // namespace dsp
