#include "mp3/enc/Mdct.h"

#include <algorithm>
#include <cmath>

#include "mp3/L3Math.h"
#include "mp3/enc/EncError.h"

namespace mp3::enc {

namespace {
constexpr int kLongTaps = 2 * kSlots;
constexpr int kShortTaps = 12;
constexpr int kShortCoeffs = 6;

struct MdctTables {
    float longWindow[4][kLongTaps];
    float shortWindow[kShortTaps];
    // DCT-IV of the folded input, with the forward transform's 1/9 or 1/3.
    float longBasis[kSlots][kSlots];
    float shortBasis[kShortCoeffs][kShortCoeffs];
    float cs[8];
    float ca[8];
    // Sine transform of the 2M windowed samples, scaled like the MDCT.
    float longSine[kLongTaps][kSlots];
    float shortSine[kShortTaps][kShortCoeffs];
};

float windowValue(int type, int n) {
    const auto sine = [](int k, int length) {
        return static_cast<float>(std::sin(kPi / length * (k + 0.5)));
    };
    switch (type) {
        case kBlockNormal:
            return sine(n, kLongTaps);
        case kBlockStart:
            return n < 18 ? sine(n, kLongTaps) : n < 24 ? 1.0f : n < 30 ? sine(n - 18, 12) : 0.0f;
        case kBlockStop:
            return n < 6 ? 0.0f : n < 12 ? sine(n - 6, 12) : n < 18 ? 1.0f : sine(n, kLongTaps);
        case kBlockShort:
            return sine(n, kShortTaps);
        default:
            encInvariantFailed("CalculateWindow() called with invalid window type", __FILE__,
                               __LINE__);
    }
}

MdctTables makeTables() {
    MdctTables t{};
    for (int type : {0, 1, 3}) {
        for (int n = 0; n < kLongTaps; ++n) {
            t.longWindow[type][n] = windowValue(type, n);
        }
    }
    for (int n = 0; n < kShortTaps; ++n) {
        t.shortWindow[n] = windowValue(kBlockShort, n);
    }
    for (int k = 0; k < kSlots; ++k) {
        for (int n = 0; n < kSlots; ++n) {
            const double c = std::cos(kPi / kSlots * (n + 0.5) * (k + 0.5));
            t.longBasis[n][k] = static_cast<float>(c / 9.0);
        }
    }
    for (int k = 0; k < kShortCoeffs; ++k) {
        for (int n = 0; n < kShortCoeffs; ++n) {
            const double c = std::cos(kPi / kShortCoeffs * (n + 0.5) * (k + 0.5));
            t.shortBasis[n][k] = static_cast<float>(c / 3.0);
        }
    }
    const auto sine = [](int n, int k, int m) {
        return std::sin(kPi / m * (n + 0.5 + m / 2.0) * (k + 0.5));
    };
    for (int n = 0; n < kLongTaps; ++n) {
        for (int k = 0; k < kSlots; ++k) {
            t.longSine[n][k] = static_cast<float>(sine(n, k, kSlots) / 9.0);
        }
    }
    for (int n = 0; n < kShortTaps; ++n) {
        for (int k = 0; k < kShortCoeffs; ++k) {
            t.shortSine[n][k] = static_cast<float>(sine(n, k, kShortCoeffs) / 3.0);
        }
    }
    constexpr double kCi[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    for (int i = 0; i < 8; ++i) {
        const double d = std::sqrt(1.0 + kCi[i] * kCi[i]);
        t.cs[i] = static_cast<float>(1.0 / d);
        t.ca[i] = static_cast<float>(kCi[i] / d);
    }
    return t;
}

const MdctTables& tables() {
    static const MdctTables kTables = makeTables();
    return kTables;
}

void gatherSubband(const SubbandGranule& previous, const SubbandGranule& current, int sb,
                   float* z) {
    const float flip = (sb & 1) != 0 ? -1.0f : 1.0f;
    for (int t = 0; t < kSlots; ++t) {
        const float sign = (t & 1) != 0 ? flip : 1.0f;
        z[t] = previous[t][sb] * sign;
        z[t + kSlots] = current[t][sb] * sign;
    }
}

// Folds 2M windowed samples onto M (time-domain aliasing), so that the
// MDCT becomes a DCT-IV of M points.
template <int M>
void fold(const float* z, const float* window, float* u) {
    for (int n = 0; n < M / 2; ++n) {
        u[n] = -z[3 * M / 2 - 1 - n] * window[3 * M / 2 - 1 - n] -
               z[3 * M / 2 + n] * window[3 * M / 2 + n];
    }
    for (int n = M / 2; n < M; ++n) {
        u[n] = z[n - M / 2] * window[n - M / 2] - z[3 * M / 2 - 1 - n] * window[3 * M / 2 - 1 - n];
    }
}

// basis[n][k]; the sums run down the columns so that they vectorise.
template <int M>
void dct4(const float (*basis)[M], const float* u, float* out) {
    float sum[M] = {};
    for (int n = 0; n < M; ++n) {
        for (int k = 0; k < M; ++k) {
            sum[k] += basis[n][k] * u[n];
        }
    }
    std::copy(sum, sum + M, out);
}

void longMdct(const float* z, int type, float* out) {
    const MdctTables& t = tables();
    float u[kSlots];
    fold<kSlots>(z, t.longWindow[type], u);
    dct4<kSlots>(t.longBasis, u, out);
}

void shortMdct(const float* z, int sb, const ShortOrder& order, float* xr) {
    const MdctTables& t = tables();
    for (int w = 0; w < kWindows; ++w) {
        float u[kShortCoeffs], x[kShortCoeffs];
        fold<kShortCoeffs>(z + 6 + 6 * w, t.shortWindow, u);
        dct4<kShortCoeffs>(t.shortBasis, u, x);
        for (int k = 0; k < kShortCoeffs; ++k) {
            xr[order.position[w][sb * kShortCoeffs + k]] = x[k];
        }
    }
}

// Windowed 2M samples through the sine basis[n][k].
template <int M>
void sineTransform(const float (*basis)[M], const float* z, const float* window, float* out) {
    float sum[M] = {};
    for (int n = 0; n < 2 * M; ++n) {
        const float v = z[n] * window[n];
        for (int k = 0; k < M; ++k) {
            sum[k] += basis[n][k] * v;
        }
    }
    std::copy(sum, sum + M, out);
}

void shortMdst(const float* z, int sb, const ShortOrder& order, float* xi) {
    const MdctTables& t = tables();
    for (int w = 0; w < kWindows; ++w) {
        float x[kShortCoeffs];
        sineTransform<kShortCoeffs>(t.shortSine, z + 6 + 6 * w, t.shortWindow, x);
        for (int k = 0; k < kShortCoeffs; ++k) {
            xi[order.position[w][sb * kShortCoeffs + k]] = x[k];
        }
    }
}

void aliasReduce(float* xr, int boundaries) {
    const MdctTables& t = tables();
    for (int sb = 1; sb <= boundaries; ++sb) {
        float* lower = xr + sb * kSlots - 1;
        float* upper = xr + sb * kSlots;
        for (int i = 0; i < 8; ++i) {
            const float bu = lower[-i];
            const float bd = upper[i];
            lower[-i] = bu * t.cs[i] + bd * t.ca[i];
            upper[i] = bd * t.cs[i] - bu * t.ca[i];
        }
    }
}
}  // namespace

float mdctWindow(int blockType, int n) {
    return windowValue(blockType, n);
}

void makeShortOrder(const L3BandTable& bands, ShortOrder& order) {
    for (int b = 0; b < kShortBands; ++b) {
        const int start = bands.shortBounds[b];
        const int width = bands.shortBounds[b + 1] - start;
        for (int w = 0; w < kWindows; ++w) {
            for (int f = start; f < start + width; ++f) {
                order.position[w][f] = static_cast<short>(3 * start + w * width + f - start);
            }
        }
    }
}

void mdctGranule(const SubbandGranule& previous, const SubbandGranule& current, int blockType,
                 bool mixed, const ShortOrder& order, float* xr) {
    float z[kLongTaps];
    if (blockType != kBlockShort) {
        for (int sb = 0; sb < kSubbands; ++sb) {
            gatherSubband(previous, current, sb, z);
            longMdct(z, blockType, xr + sb * kSlots);
        }
        aliasReduce(xr, kSubbands - 1);
        return;
    }
    const int longSubbands = mixed ? 2 : 0;
    for (int sb = 0; sb < kSubbands; ++sb) {
        gatherSubband(previous, current, sb, z);
        if (sb < longSubbands) {
            longMdct(z, kBlockNormal, xr + sb * kSlots);
        } else {
            shortMdct(z, sb, order, xr);
        }
    }
    if (mixed) {
        aliasReduce(xr, 1);
    }
}

void mdstGranule(const SubbandGranule& previous, const SubbandGranule& current, int blockType,
                 bool mixed, const ShortOrder& order, float* xi) {
    const MdctTables& t = tables();
    float z[kLongTaps];
    const int longSubbands = blockType != kBlockShort ? kSubbands : (mixed ? 2 : 0);
    for (int sb = 0; sb < kSubbands; ++sb) {
        gatherSubband(previous, current, sb, z);
        if (sb < longSubbands) {
            const int type = blockType == kBlockShort ? kBlockNormal : blockType;
            sineTransform<kSlots>(t.longSine, z, t.longWindow[type], xi + sb * kSlots);
        } else {
            shortMdst(z, sb, order, xi);
        }
    }
    if (longSubbands > 0) {
        aliasReduce(xi, longSubbands - 1);
    }
}

}  // namespace mp3::enc
