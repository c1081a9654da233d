#pragma once

#include <cstddef>

namespace platform::acm {

// Dot products over `taps` floats (a multiple of 8) for the resampler:
// one channel, or two channels sharing the coefficients.
struct DotKernel {
    float (*dot)(const float* x, const float* c, size_t taps);
    void (*dot2)(const float* x0, const float* x1, const float* c, size_t taps, float* y0,
                 float* y1);

    // The fastest kernel this processor runs.
    static DotKernel best();
    // The kernel every target builds (vector extensions, no special ISA).
    static DotKernel portable();
};

}  // namespace platform::acm
