#include <array>
#include <cmath>
#include <cstring>

#include "mp3/L3Bands.h"
#include "mp3/L3Stages.h"

namespace mp3 {

namespace {
// Largest magnitude: 15 plus 13 escape bits.
constexpr int kPow43Size = 15 + (1 << 13);

constexpr uint8_t kPretab[kLongBands] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                         1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

constexpr float kQuarterPowers[4] = {1.0f, 1.18920711500272106672f, 1.41421356237309504880f,
                                     1.68179283050742908606f};

// 2^(quarters / 4), built from the exponent bits; the range of quarters
// (about -340..45) keeps every value a normal float.
float pow2Quarters(int quarters) {
    const uint32_t exponentBits = static_cast<uint32_t>((quarters >> 2) + 127) << 23;
    float power;
    std::memcpy(&power, &exponentBits, sizeof power);
    return kQuarterPowers[quarters & 3] * power;
}

void addRun(L3BandRuns& runs, int end, int quarters, int band, int window) {
    const int i = runs.count++;
    runs.end[i] = static_cast<uint16_t>(end);
    runs.gain[i] = pow2Quarters(quarters);
    runs.band[i] = static_cast<uint8_t>(band);
    runs.window[i] = static_cast<int8_t>(window);
}
}  // namespace

const float* l3Pow43() {
    static const std::array<float, kPow43Size> table = [] {
        std::array<float, kPow43Size> t{};
        for (int i = 0; i < kPow43Size; ++i) {
            t[static_cast<size_t>(i)] =
                static_cast<float>(std::pow(static_cast<double>(i), 4.0 / 3.0));
        }
        return t;
    }();
    return table.data();
}

void l3BuildBandRuns(const L3GranuleSide& g, const L3Scalefactors& f, const L3BandTable& bands,
                     uint32_t version, L3BandRuns& runs) {
    runs.count = 0;
    const int base = static_cast<int>(g.globalGain) - 210;
    const int shift = g.scalefacScale ? 4 : 2;  // quarters per scalefactor step
    int longBands = kLongBands;
    int firstShort = kShortBands;
    if (g.shortBlocks()) {
        longBands = g.mixedBlock ? l3MixedLongBands(version) : 0;
        firstShort = g.mixedBlock ? 3 : 0;
    }
    for (int b = 0; b < longBands; ++b) {
        const int sf = f.longBand[b] + (g.preflag ? kPretab[b] : 0);
        addRun(runs, bands.longBounds[b + 1], base - shift * sf, b, -1);
    }
    for (int b = firstShort; b < kShortBands; ++b) {
        const int width = bands.shortBounds[b + 1] - bands.shortBounds[b];
        for (int w = 0; w < kWindows; ++w) {
            const int end = kWindows * bands.shortBounds[b] + (w + 1) * width;
            const int quarters =
                base - 8 * static_cast<int>(g.subblockGain[w]) - shift * f.shortBand[b][w];
            addRun(runs, end, quarters, b, w);
        }
    }
}

}  // namespace mp3
