#include "mp3/enc/PolyphaseAnalysis.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "mp3/L3Math.h"

#include "mp3/L3Window.h"

namespace mp3::enc {

namespace {
constexpr int kTaps = kWindowTaps;

struct AnalysisTables {
    float window[kTaps];
    float matrix[kSubbands][kSubbands];  // [n][k]: cos((2k + 1) n pi / 64)
};

AnalysisTables makeAnalysisTables() {
    AnalysisTables t{};
    for (int i = 0; i < kTaps; ++i) {
        t.window[i] = static_cast<float>(kWindowUnits[i] / 2097152.0);
    }
    for (int k = 0; k < kSubbands; ++k) {
        for (int n = 0; n < kSubbands; ++n) {
            t.matrix[n][k] = static_cast<float>(std::cos((2 * k + 1) * n * kPi / 64.0));
        }
    }
    return t;
}

const AnalysisTables& analysisTables() {
    static const AnalysisTables kTables = makeAnalysisTables();
    return kTables;
}
}  // namespace

PolyphaseAnalysis::PolyphaseAnalysis() {
    reset();
}

void PolyphaseAnalysis::reset() {
    std::fill(std::begin(history_), std::end(history_), 0.0f);
    position_ = 0;
}

void PolyphaseAnalysis::analyse(const float* in, int stride, float* out) {
    const AnalysisTables& t = analysisTables();
    // The newest 32 samples go in reversed, so that X[i] is i samples old.
    position_ = (position_ + kTaps - kSubbands) % kTaps;
    for (int i = 0; i < kSubbands; ++i) {
        history_[position_ + kSubbands - 1 - i] = in[i * stride];
        history_[position_ + kSubbands - 1 - i + kTaps] = in[i * stride];
    }
    const float* x = history_ + position_;
    float y[64] = {};
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 64; ++i) {
            y[i] += t.window[i + 64 * j] * x[i + 64 * j];
        }
    }
    // Fold the 64 sums onto the 32 cosine terms of the matrixing.
    float a[kSubbands];
    a[0] = y[16];
    for (int n = 1; n <= 16; ++n) {
        a[n] = y[16 + n] + y[16 - n];
    }
    for (int n = 17; n < kSubbands; ++n) {
        a[n] = y[16 + n] - y[80 - n];
    }
    float sum[kSubbands] = {};
    for (int n = 0; n < kSubbands; ++n) {
        for (int k = 0; k < kSubbands; ++k) {
            sum[k] += t.matrix[n][k] * a[n];
        }
    }
    std::copy(sum, sum + kSubbands, out);
}

}  // namespace mp3::enc
