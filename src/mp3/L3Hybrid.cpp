#include <algorithm>
#include <array>
#include <cstring>

#include "mp3/L3Bands.h"
#include "mp3/L3Math.h"
#include "mp3/L3Stages.h"

namespace mp3 {

namespace {
constexpr int kLongPoints = 36;
constexpr int kShortPoints = 12;
constexpr int kAliasButterflies = 8;
constexpr int kMixedLongSubbands = 2;

// Alias-reduction butterflies from the coefficients c[i] of the standard:
// cs = 1 / sqrt(1 + c^2), ca = c / sqrt(1 + c^2).
struct Butterfly {
    float cs;
    float ca;
};
constexpr std::array<Butterfly, kAliasButterflies> kButterflies = [] {
    constexpr double c[kAliasButterflies] = {-0.6,   -0.535, -0.33,   -0.185,
                                             -0.095, -0.041, -0.0142, -0.0037};
    std::array<Butterfly, kAliasButterflies> b{};
    for (size_t i = 0; i < b.size(); ++i) {
        const double n = constSqrt(1.0 + c[i] * c[i]);
        b[i] = {static_cast<float>(1.0 / n), static_cast<float>(c[i] / n)};
    }
    return b;
}();

// The four window shapes: normal, start, short (one 12-point window), stop.
constexpr std::array<std::array<float, kLongPoints>, 4> kWindowShapes = [] {
    std::array<std::array<float, kLongPoints>, 4> w{};
    for (int i = 0; i < kLongPoints; ++i) {
        const auto longSine = static_cast<float>(constSin(kPi / 36.0 * (i + 0.5)));
        w[0][static_cast<size_t>(i)] = longSine;
        w[1][static_cast<size_t>(i)] =
            i < 18 ? longSine
                   : (i < 24 ? 1.0f
                             : (i < 30 ? static_cast<float>(constSin(kPi / 12.0 * (i - 18 + 0.5)))
                                       : 0.0f));
        w[3][static_cast<size_t>(i)] =
            i < 6 ? 0.0f
                  : (i < 12 ? static_cast<float>(constSin(kPi / 12.0 * (i - 6 + 0.5)))
                            : (i < 18 ? 1.0f : longSine));
        if (i < kShortPoints) {
            w[2][static_cast<size_t>(i)] = static_cast<float>(constSin(kPi / 12.0 * (i + 0.5)));
        }
    }
    return w;
}();

// cos(pi / (2n) * (2i + 1 + n/2) * (2k + 1)) for the n-point IMDCT.
template <int N>
constexpr std::array<float, N * N / 2> imdctCosines() {
    std::array<float, N * N / 2> t{};
    for (int i = 0; i < N; ++i) {
        for (int k = 0; k < N / 2; ++k) {
            t[static_cast<size_t>(i * N / 2 + k)] =
                static_cast<float>(constCos(kPi / (2.0 * N) * (2 * i + 1 + N / 2) * (2 * k + 1)));
        }
    }
    return t;
}
constexpr auto kLongCosines = imdctCosines<kLongPoints>();
constexpr auto kShortCosines = imdctCosines<kShortPoints>();

template <int N>
void imdct(const float* in, int stride, float* out, const std::array<float, N * N / 2>& cosines) {
    for (int i = 0; i < N; ++i) {
        float sum = 0.0f;
        for (int k = 0; k < N / 2; ++k) {
            sum += in[k * stride] * cosines[static_cast<size_t>(i * N / 2 + k)];
        }
        out[i] = sum;
    }
}

// The 36 windowed output values of one subband.
void subbandBlock(const float* x, uint32_t blockType, float* z) {
    if (blockType != kBlockShort) {
        imdct<kLongPoints>(x, 1, z, kLongCosines);
        for (int i = 0; i < kLongPoints; ++i) {
            z[i] *= kWindowShapes[blockType][static_cast<size_t>(i)];
        }
        return;
    }
    std::fill(z, z + kLongPoints, 0.0f);
    for (int w = 0; w < kWindows; ++w) {
        float y[kShortPoints];
        imdct<kShortPoints>(x + w, kWindows, y, kShortCosines);
        for (int i = 0; i < kShortPoints; ++i) {
            z[6 + 6 * w + i] += y[i] * kWindowShapes[2][static_cast<size_t>(i)];
        }
    }
}
}  // namespace

int l3ReorderShort(float* xr, const L3GranuleSide& g, const L3BandTable& bands, int bound) {
    const int first = g.mixedBlock ? 3 : 0;
    const int begin = kWindows * bands.shortBounds[first];
    if (!g.shortBlocks() || bound <= begin) {
        return bound;
    }
    float copy[kGranuleLines];
    std::copy(xr + begin, xr + kGranuleLines, copy + begin);
    int reordered = begin;
    for (int b = first; b < kShortBands && kWindows * bands.shortBounds[b] < bound; ++b) {
        const int start = bands.shortBounds[b];
        const int width = bands.shortBounds[b + 1] - start;
        reordered = kWindows * (start + width);
        for (int w = 0; w < kWindows; ++w) {
            const float* src = copy + kWindows * start + w * width;
            for (int f = 0; f < width; ++f) {
                xr[kWindows * (start + f) + w] = src[f];
            }
        }
    }
    return reordered;
}

int l3Antialias(float* xr, const L3GranuleSide& g, int bound, int subbands) {
    if (g.shortBlocks() && !g.mixedBlock) {
        return bound;
    }
    int limit = bound > 0 ? (bound - 1) / kSlots + 1 : 0;  // one past the last nonzero
    limit = std::min(limit, subbands - 1);
    if (g.shortBlocks()) {
        limit = std::min(limit, kMixedLongSubbands - 1);
    }
    for (int sb = 1; sb <= limit; ++sb) {
        float* edge = xr + sb * kSlots;
        for (int i = 0; i < kAliasButterflies; ++i) {
            const float a = edge[-1 - i];
            const float b = edge[i];
            edge[-1 - i] = a * kButterflies[static_cast<size_t>(i)].cs -
                           b * kButterflies[static_cast<size_t>(i)].ca;
            edge[i] = b * kButterflies[static_cast<size_t>(i)].cs +
                      a * kButterflies[static_cast<size_t>(i)].ca;
        }
    }
    return std::max(bound, std::min(limit * kSlots + kAliasButterflies, kGranuleLines));
}

void l3Hybrid(const float* xr, const L3GranuleSide& g, int bound, int subbands,
              float overlap[kSubbands][kSlots], float* out, bool accumulate) {
    for (int sb = 0; sb < subbands; ++sb) {
        float* prev = overlap[sb];
        float z[kLongPoints];
        if (sb * kSlots >= bound) {
            std::fill(z, z + kLongPoints, 0.0f);
        } else {
            const bool longHere = g.mixedBlock && sb < kMixedLongSubbands;
            subbandBlock(xr + sb * kSlots, longHere ? 0 : g.blockType, z);
        }
        for (int t = 0; t < kSlots; ++t) {
            float& o = out[t * kSubbands + sb];
            o = accumulate ? o + z[t] : z[t] + prev[t];
            prev[t] = accumulate ? prev[t] + z[t + kSlots] : z[t + kSlots];
        }
    }
}

void l3FrequencyInversion(float* out, int subbands) {
    for (int t = 1; t < kSlots; t += 2) {
        for (int sb = 1; sb < subbands; sb += 2) {
            out[t * kSubbands + sb] = -out[t * kSubbands + sb];
        }
    }
}

}  // namespace mp3
