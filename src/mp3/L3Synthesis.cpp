#include "mp3/L3Synthesis.h"

#include <algorithm>
#include <array>

#include "mp3/L3Math.h"
#include "mp3/L3Simd.h"

#include "mp3/L3Window.h"

namespace mp3 {

namespace {
constexpr int kPhases = 8;  // window rows per output sample and half

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
