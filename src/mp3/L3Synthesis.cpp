#include "mp3/L3Synthesis.h"

#include <algorithm>
#include <array>

#include "mp3/L3Math.h"
#include "mp3/L3Simd.h"

namespace mp3 {

namespace {
constexpr int kWindowTaps = 512;
constexpr int kPhases = 8;  // window rows per output sample and half

// The synthesis window D[i] of ISO/IEC 11172-3 Table B.3 in units of 2^-16
// (every coefficient of the standard is a multiple of that).
constexpr int32_t kWindowUnits[kWindowTaps] = {
    0,      -1,     -1,     -1,     -1,     -1,     -1,     -2,     -2,     -2,     -2,     -3,
    -3,     -4,     -4,     -5,     -5,     -6,     -7,     -7,     -8,     -9,     -10,    -11,
    -13,    -14,    -16,    -17,    -19,    -21,    -24,    -26,    -29,    -31,    -35,    -38,
    -41,    -45,    -49,    -53,    -58,    -63,    -68,    -73,    -79,    -85,    -91,    -97,
    -104,   -111,   -117,   -125,   -132,   -139,   -147,   -154,   -161,   -169,   -176,   -183,
    -190,   -196,   -202,   -208,   213,    218,    222,    225,    227,    228,    228,    227,
    224,    221,    215,    208,    200,    189,    177,    163,    146,    127,    106,    83,
    57,     29,     -2,     -36,    -72,    -111,   -153,   -197,   -244,   -294,   -347,   -401,
    -459,   -519,   -581,   -645,   -711,   -779,   -848,   -919,   -991,   -1064,  -1137,  -1210,
    -1283,  -1356,  -1428,  -1498,  -1567,  -1634,  -1698,  -1759,  -1817,  -1870,  -1919,  -1962,
    -2001,  -2032,  -2057,  -2075,  -2085,  -2087,  -2080,  -2063,  2037,   2000,   1952,   1893,
    1822,   1739,   1644,   1535,   1414,   1280,   1131,   970,    794,    605,    402,    185,
    -45,    -288,   -545,   -814,   -1095,  -1388,  -1692,  -2006,  -2330,  -2663,  -3004,  -3351,
    -3705,  -4063,  -4425,  -4788,  -5153,  -5517,  -5879,  -6237,  -6589,  -6935,  -7271,  -7597,
    -7910,  -8209,  -8491,  -8755,  -8998,  -9219,  -9416,  -9585,  -9727,  -9838,  -9916,  -9959,
    -9966,  -9935,  -9863,  -9750,  -9592,  -9389,  -9139,  -8840,  -8492,  -8092,  -7640,  -7134,
    6574,   5959,   5288,   4561,   3776,   2935,   2037,   1082,   70,     -998,   -2122,  -3300,
    -4533,  -5818,  -7154,  -8540,  -9975,  -11455, -12980, -14548, -16155, -17799, -19478, -21189,
    -22929, -24694, -26482, -28289, -30112, -31947, -33791, -35640, -37489, -39336, -41176, -43006,
    -44821, -46617, -48390, -50137, -51853, -53534, -55178, -56778, -58333, -59838, -61289, -62684,
    -64019, -65290, -66494, -67629, -68692, -69679, -70590, -71420, -72169, -72835, -73415, -73908,
    -74313, -74630, -74856, -74992, 75038,  74992,  74856,  74630,  74313,  73908,  73415,  72835,
    72169,  71420,  70590,  69679,  68692,  67629,  66494,  65290,  64019,  62684,  61289,  59838,
    58333,  56778,  55178,  53534,  51853,  50137,  48390,  46617,  44821,  43006,  41176,  39336,
    37489,  35640,  33791,  31947,  30112,  28289,  26482,  24694,  22929,  21189,  19478,  17799,
    16155,  14548,  12980,  11455,  9975,   8540,   7154,   5818,   4533,   3300,   2122,   998,
    -70,    -1082,  -2037,  -2935,  -3776,  -4561,  -5288,  -5959,  6574,   7134,   7640,   8092,
    8492,   8840,   9139,   9389,   9592,   9750,   9863,   9935,   9966,   9959,   9916,   9838,
    9727,   9585,   9416,   9219,   8998,   8755,   8491,   8209,   7910,   7597,   7271,   6935,
    6589,   6237,   5879,   5517,   5153,   4788,   4425,   4063,   3705,   3351,   3004,   2663,
    2330,   2006,   1692,   1388,   1095,   814,    545,    288,    45,     -185,   -402,   -605,
    -794,   -970,   -1131,  -1280,  -1414,  -1535,  -1644,  -1739,  -1822,  -1893,  -1952,  -2000,
    2037,   2063,   2080,   2087,   2085,   2075,   2057,   2032,   2001,   1962,   1919,   1870,
    1817,   1759,   1698,   1634,   1567,   1498,   1428,   1356,   1283,   1210,   1137,   1064,
    991,    919,    848,    779,    711,    645,    581,    519,    459,    401,    347,    294,
    244,    197,    153,    111,    72,     36,     2,      -29,    -57,    -83,    -106,   -127,
    -146,   -163,   -177,   -189,   -200,   -208,   -215,   -221,   -224,   -227,   -228,   -228,
    -227,   -225,   -222,   -218,   213,    208,    202,    196,    190,    183,    176,    169,
    161,    154,    147,    139,    132,    125,    117,    111,    104,    97,     91,     85,
    79,     73,     68,     63,     58,     53,     49,     45,     41,     38,     35,     31,
    29,     26,     24,     21,     19,     17,     16,     14,     13,     11,     10,     9,
    8,      7,      7,      6,      5,      5,      4,      4,      3,      3,      2,      2,
    2,      2,      1,      1,      1,      1,      1,      1,
};

// 1 / (2 cos(pi (2n + 1) / (2N))): the odd-part scale of the DCT split.
template <int N>
constexpr std::array<float, N / 2> kSplitScale = [] {
    std::array<float, N / 2> s{};
    for (int n = 0; n < N / 2; ++n) {
        s[static_cast<size_t>(n)] =
            static_cast<float>(0.5 / constCos(kPi * (2 * n + 1) / (2.0 * N)));
    }
    return s;
}();

// DCT-II, X[k] = sum x[n] cos(pi k (2n + 1) / 2N), by halving; four time
// slots at once, one per lane.
template <int N>
inline __attribute__((always_inline)) void dct2(F4* x) {
    if constexpr (N > 1) {
        F4 even[N / 2];
        F4 odd[N / 2];
        for (int n = 0; n < N / 2; ++n) {
            even[n] = x[n] + x[N - 1 - n];
            odd[n] = (x[n] - x[N - 1 - n]) * kSplitScale<N>[static_cast<size_t>(n)];
        }
        dct2<N / 2>(even);
        dct2<N / 2>(odd);
        for (int k = 0; k < N / 2 - 1; ++k) {
            x[2 * k] = even[k];
            x[2 * k + 1] = odd[k] + odd[k + 1];
        }
        x[N - 2] = even[N / 2 - 1];
        x[N - 1] = odd[N / 2 - 1];
    }
}

// Window rows for N = 32 >> resolution bands, matched to the vector layout
// (X, then 0 and X reversed): for outputs j < N/2 the slot 2i back adds
// a[i][j] X[N/2 + j] and the slot 2i + 1 back b[i][j] Xr[N/2 + j]; for j >= N/2
// they add a[i][j] Xr[j - N/2] and b[i][j] X[j - N/2]. The signs of the
// standard's matrixing are folded in; the scale is 16-bit full scale
// (2^15 / 2^16 per window unit).
struct WindowRows {
    float a[kPhases][kSubbands];
    float b[kPhases][kSubbands];
};

constexpr WindowRows windowRows(int resolution) {
    WindowRows w{};
    const int n = kSubbands >> resolution;
    const int step = 1 << resolution;
    for (int i = 0; i < kPhases; ++i) {
        for (int j = 0; j < n; ++j) {
            const double a = kWindowUnits[(2 * n * i + j) * step] * 0.5;
            const double b = kWindowUnits[(2 * n * i + n + j) * step] * 0.5;
            w.a[i][j] = static_cast<float>(j < n / 2 ? a : -a);
            w.b[i][j] = static_cast<float>(-b);
        }
    }
    return w;
}
constexpr WindowRows kRows[3] = {windowRows(0), windowRows(1), windowRows(2)};

inline int ringSlot(int position) {
    return position & (kSynthesisRing - 1);
}

// Four slots' subband samples into lanes: x[sb] holds subband sb of slots
// t0..t0+3.
template <int N>
void gatherSlots(const float* in, int t0, F4* x) {
    for (int sb = 0; sb < N; sb += 4) {
        F4 r0 = load4(in + t0 * kSubbands + sb);
        F4 r1 = load4(in + (t0 + 1) * kSubbands + sb);
        F4 r2 = load4(in + (t0 + 2) * kSubbands + sb);
        F4 r3 = load4(in + (t0 + 3) * kSubbands + sb);
        transpose4(r0, r1, r2, r3);
        x[sb] = r0;
        x[sb + 1] = r1;
        x[sb + 2] = r2;
        x[sb + 3] = r3;
    }
}

// The DCT of four slots back into one ring vector each: X, then 0 and X
// reversed.
template <int N>
void storeSlots(F4* x, L3SynthesisState& s, int lanes) {
    float* v[4];
    for (int l = 0; l < 4; ++l) {
        v[l] = s.v[ringSlot(s.position - 1 - l)];
        v[l][N] = 0.0f;
    }
    for (int k = 0; k < N; k += 4) {
        F4 r[4] = {x[k], x[k + 1], x[k + 2], x[k + 3]};
        transpose4(r[0], r[1], r[2], r[3]);
        for (int l = 0; l < lanes; ++l) {
            store4(v[l] + k, r[l]);
            store4(v[l] + N + 1 + (N - 4 - k), reverse4(r[l]));
        }
    }
}

template <int N>
void windowSlot(const L3SynthesisState& s, const WindowRows& w, float* out) {
    F4 low[N / 8] = {};
    F4 high[N / 8] = {};
    for (int i = 0; i < kPhases; ++i) {
        const float* even = s.v[ringSlot(s.position + 2 * i)];
        const float* odd = s.v[ringSlot(s.position + 2 * i + 1)];
        for (int j = 0; j < N / 2; j += 4) {
            low[j / 4] += load4(w.a[i] + j) * load4(even + N / 2 + j) +
                          load4(w.b[i] + j) * load4(odd + N + N / 2 + j);
            high[j / 4] += load4(w.a[i] + N / 2 + j) * load4(even + N + j) +
                           load4(w.b[i] + N / 2 + j) * load4(odd + j);
        }
    }
    for (int j = 0; j < N / 2; j += 4) {
        store4(out + j, low[j / 4]);
        store4(out + N / 2 + j, high[j / 4]);
    }
}

template <int N>
void synthesizeSlots(L3SynthesisState& s, const float* in, const WindowRows& w, float* out) {
    for (int t0 = 0; t0 < kSlots; t0 += 4) {
        const int lanes = kSlots - t0 < 4 ? kSlots - t0 : 4;
        F4 x[N];
        gatherSlots<N>(in, t0, x);
        dct2<N>(x);
        storeSlots<N>(x, s, lanes);
        for (int l = 0; l < lanes; ++l) {
            s.position = ringSlot(s.position - 1);
            windowSlot<N>(s, w, out + (t0 + l) * N);
        }
    }
}
}  // namespace

void l3ResetSynthesis(L3SynthesisState& state) {
    std::fill(&state.v[0][0], &state.v[0][0] + kSynthesisRing * kSynthesisVector, 0.0f);
    state.position = 0;
}

void l3Synthesize(L3SynthesisState& state, const float* in, int resolution, float* out) {
    switch (resolution) {
        case 0:
            synthesizeSlots<32>(state, in, kRows[0], out);
            break;
        case 1:
            synthesizeSlots<16>(state, in, kRows[1], out);
            break;
        default:
            synthesizeSlots<8>(state, in, kRows[2], out);
            break;
    }
}

}  // namespace mp3
