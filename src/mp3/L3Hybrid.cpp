#include <algorithm>
#include <array>
#include <cstring>

#include "mp3/L3Bands.h"
#include "mp3/L3Math.h"
#include "mp3/L3Simd.h"
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

// The IMDCT of n points from n/2 lines is a DCT-IV of n/2 points, read out
// with its symmetries. The DCT-IV runs on four subbands at once, one per lane.

// cos(pi (2n + 1) k / 18) for the 9-point DCT-II, n = 0..3.
constexpr std::array<std::array<float, 4>, 9> kDct9 = [] {
    std::array<std::array<float, 4>, 9> t{};
    for (int k = 0; k < 9; ++k) {
        for (int n = 0; n < 4; ++n) {
            t[static_cast<size_t>(k)][static_cast<size_t>(n)] =
                static_cast<float>(constCos(kPi * (2 * n + 1) * k / 18.0));
        }
    }
    return t;
}();

// 9-point DCT-II, X[k] = sum a[n] cos(pi (2n + 1) k / 18), by the symmetry
// of n and 8 - n.
void dct9(const F4* a, F4* x) {
    F4 sum[4];
    F4 diff[4];
    for (int n = 0; n < 4; ++n) {
        sum[n] = a[n] + a[8 - n];
        diff[n] = a[n] - a[8 - n];
    }
    for (int k = 0; k < 9; ++k) {
        const auto& c = kDct9[static_cast<size_t>(k)];
        const F4* v = (k & 1) ? diff : sum;
        F4 acc = v[0] * c[0] + v[1] * c[1] + v[2] * c[2] + v[3] * c[3];
        if ((k & 1) == 0) {
            acc += (k & 2) ? -a[4] : a[4];
        }
        x[k] = acc;
    }
}

// 2 cos(pi (2n + 1) / 72): folds the DCT-IV into a DCT-II. And the odd-part
// scale 1 / (2 cos(pi (2n + 1) / 36)) of the 18-point DCT-II split.
constexpr std::array<float, 18> kDct4Pre = [] {
    std::array<float, 18> t{};
    for (int n = 0; n < 18; ++n) {
        t[static_cast<size_t>(n)] = static_cast<float>(2.0 * constCos(kPi * (2 * n + 1) / 72.0));
    }
    return t;
}();
constexpr std::array<float, 9> kDct18Odd = [] {
    std::array<float, 9> t{};
    for (int n = 0; n < 9; ++n) {
        t[static_cast<size_t>(n)] = static_cast<float>(0.5 / constCos(kPi * (2 * n + 1) / 36.0));
    }
    return t;
}();

// 18-point DCT-IV: C[k] = sum x[n] cos(pi (2n + 1)(2k + 1) / 72). The DCT-II
// of x[n] 2cos(pi (2n + 1) / 72) is C[k] + C[k - 1], with C[-1] = C[0].
void dct4x18(const F4* x, F4* c) {
    F4 even[9];
    F4 odd[9];
    for (int n = 0; n < 9; ++n) {
        const F4 u = x[n] * kDct4Pre[static_cast<size_t>(n)];
        const F4 v = x[17 - n] * kDct4Pre[static_cast<size_t>(17 - n)];
        even[n] = u + v;
        odd[n] = (u - v) * kDct18Odd[static_cast<size_t>(n)];
    }
    F4 e[9];
    F4 o[9];
    dct9(even, e);
    dct9(odd, o);
    F4 prev = e[0] * 0.5f;
    c[0] = prev;
    for (int k = 1; k < 18; ++k) {
        const F4 two = (k & 1) ? o[k / 2] + (k / 2 + 1 < 9 ? o[k / 2 + 1] : F4{}) : e[k / 2];
        prev = two - prev;
        c[k] = prev;
    }
}

// cos(pi (2n + 1)(2k + 1) / 24) for the 6-point DCT-IV.
constexpr std::array<std::array<float, 6>, 6> kDct4x6 = [] {
    std::array<std::array<float, 6>, 6> t{};
    for (int k = 0; k < 6; ++k) {
        for (int n = 0; n < 6; ++n) {
            t[static_cast<size_t>(k)][static_cast<size_t>(n)] =
                static_cast<float>(constCos(kPi * (2 * n + 1) * (2 * k + 1) / 24.0));
        }
    }
    return t;
}();

// Long block of four subbands: z[i] for i = 0..35, windowed.
void longBlock(const F4* x, const std::array<float, kLongPoints>& window, F4* z) {
    F4 c[18];
    dct4x18(x, c);
    for (int i = 0; i < 9; ++i) {
        z[i] = c[i + 9] * window[static_cast<size_t>(i)];
    }
    for (int i = 9; i < 27; ++i) {
        z[i] = -c[26 - i] * window[static_cast<size_t>(i)];
    }
    for (int i = 27; i < kLongPoints; ++i) {
        z[i] = -c[i - 27] * window[static_cast<size_t>(i)];
    }
}

// Short block of four subbands: three windowed 12-point IMDCTs, placed at
// 6, 12 and 18. `x` holds the lines in frequency order, windows interleaved.
void shortBlock(const F4* x, F4* z) {
    for (int i = 0; i < kLongPoints; ++i) {
        z[i] = F4{};
    }
    const auto& window = kWindowShapes[2];
    for (int w = 0; w < kWindows; ++w) {
        F4 c[6];
        for (int k = 0; k < 6; ++k) {
            const auto& t = kDct4x6[static_cast<size_t>(k)];
            F4 acc = F4{};
            for (int n = 0; n < 6; ++n) {
                acc += x[3 * n + w] * t[static_cast<size_t>(n)];
            }
            c[k] = acc;
        }
        F4 y[kShortPoints];
        for (int i = 0; i < 3; ++i) {
            y[i] = c[i + 3];
        }
        for (int i = 3; i < 9; ++i) {
            y[i] = -c[8 - i];
        }
        for (int i = 9; i < kShortPoints; ++i) {
            y[i] = -c[i - 9];
        }
        for (int i = 0; i < kShortPoints; ++i) {
            z[6 + 6 * w + i] += y[i] * window[static_cast<size_t>(i)];
        }
    }
}

// Gathers the 18 lines of four subbands into lanes.
void gather(const float* xr, int sb, F4* x) {
    for (int k = 0; k < kSlots; ++k) {
        x[k] = F4{xr[sb * kSlots + k], xr[(sb + 1) * kSlots + k], xr[(sb + 2) * kSlots + k],
                  xr[(sb + 3) * kSlots + k]};
    }
}

// The windowed block of subbands sb..sb+3; lanes of a mixed block's long
// part take the long transform.
void groupBlock(const float* xr, const L3GranuleSide& g, int sb, F4* z) {
    F4 x[kSlots];
    gather(xr, sb, x);
    if (!g.shortBlocks()) {
        longBlock(x, kWindowShapes[g.blockType], z);
        return;
    }
    shortBlock(x, z);
    if (g.mixedBlock && sb < kMixedLongSubbands) {
        F4 longZ[kLongPoints];
        longBlock(x, kWindowShapes[0], longZ);
        for (int i = 0; i < kLongPoints; ++i) {
            z[i] = F4{longZ[i][0], longZ[i][1], z[i][2], z[i][3]};
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
              float overlap[kSlots][kSubbands], float* out, bool accumulate) {
    for (int sb = 0; sb < subbands; sb += 4) {
        F4 z[kLongPoints];
        if (sb * kSlots >= bound) {
            for (F4& v : z) {
                v = F4{};
            }
        } else {
            groupBlock(xr, g, sb, z);
        }
        for (int t = 0; t < kSlots; ++t) {
            float* o = out + t * kSubbands + sb;
            float* prev = overlap[t] + sb;
            if (accumulate) {
                store4(o, load4(o) + z[t]);
                store4(prev, load4(prev) + z[t + kSlots]);
            } else {
                store4(o, z[t] + load4(prev));
                store4(prev, z[t + kSlots]);
            }
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
