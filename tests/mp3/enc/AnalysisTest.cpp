#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "mp3/L3Bands.h"
#include "mp3/enc/BlockSwitch.h"
#include "mp3/enc/EncError.h"
#include "mp3/enc/Mdct.h"
#include "mp3/enc/PolyphaseAnalysis.h"
#include "mp3/enc/PsyModel.h"

namespace mp3::enc {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The subband granule of a steady sine after the filterbank has settled.
void sineGranules(double hz, int rate, int count, std::vector<std::vector<float>>& out) {
    PolyphaseAnalysis a;
    out.assign(static_cast<size_t>(count), std::vector<float>(kGranuleLines));
    for (int g = 0; g < count; ++g) {
        for (int t = 0; t < kSlots; ++t) {
            float in[kSubbands];
            for (int i = 0; i < kSubbands; ++i) {
                const int n = g * kGranuleLines + t * kSubbands + i;
                in[i] = static_cast<float>(0.5 * std::sin(2 * kPi * hz * n / rate));
            }
            a.analyse(in, 1, &out[static_cast<size_t>(g)][static_cast<size_t>(t * kSubbands)]);
        }
    }
}

TEST(FilterbankTest, SineLandsInItsLineAtFullScale) {
    std::vector<std::vector<float>> g;
    sineGranules(1000.0, 44100, 6, g);
    ShortOrder order;
    makeShortOrder(l3BandTable(0, 0), order);
    float xr[kGranuleLines];
    using Granule = float[kSlots][kSubbands];
    mdctGranule(*reinterpret_cast<const Granule*>(g[4].data()),
                *reinterpret_cast<const Granule*>(g[5].data()), kBlockNormal, false, order, xr);
    int peak = 0;
    double energy = 0;
    for (int i = 0; i < kGranuleLines; ++i) {
        energy += double{xr[i]} * xr[i];
        peak = std::fabs(xr[i]) > std::fabs(xr[peak]) ? i : peak;
    }
    EXPECT_NEAR(peak, 1000.0 / (22050.0 / kGranuleLines), 1.5);
    // A full-scale sine carries about unit energy per granule (0.8 to 0.95
    // by its phase): a quarter of that here.
    EXPECT_NEAR(energy, 0.22, 0.07);
}

// A steady tone between two lines: the real transform's energy swings with
// the tone's phase from granule to granule, the complex line's does not.
TEST(FilterbankTest, ComplexLinesHoldASteadyToneSteady) {
    std::vector<std::vector<float>> g;
    const double lineHz = 22050.0 / kGranuleLines;
    sineGranules(40.3 * lineHz, 44100, 10, g);
    ShortOrder order;
    makeShortOrder(l3BandTable(0, 0), order);
    using Granule = float[kSlots][kSubbands];
    double realLow = 1e9, realHigh = 0, complexLow = 1e9, complexHigh = 0;
    for (size_t i = 4; i < g.size(); ++i) {
        const auto& previous = *reinterpret_cast<const Granule*>(g[i - 1].data());
        const auto& current = *reinterpret_cast<const Granule*>(g[i].data());
        float xr[kGranuleLines], xi[kGranuleLines];
        mdctGranule(previous, current, kBlockNormal, false, order, xr);
        mdstGranule(previous, current, kBlockNormal, false, order, xi);
        double real = 0, complex = 0;
        for (int k = 38; k <= 42; ++k) {
            real += double{xr[k]} * xr[k];
            complex += 0.5 * (double{xr[k]} * xr[k] + double{xi[k]} * xi[k]);
        }
        realLow = std::min(realLow, real);
        realHigh = std::max(realHigh, real);
        complexLow = std::min(complexLow, complex);
        complexHigh = std::max(complexHigh, complex);
    }
    EXPECT_GT(realHigh / realLow, 1.3);
    EXPECT_LT(complexHigh / complexLow, 1.05);
    // Both carry the tone's energy on the same scale.
    EXPECT_NEAR(complexLow / ((realLow + realHigh) / 2), 1.0, 0.2);
}

TEST(FilterbankTest, WindowsOfTheFourBlockTypes) {
    EXPECT_NEAR(mdctWindow(kBlockNormal, 17), std::sin(kPi / 36 * 17.5), 1e-6);
    EXPECT_FLOAT_EQ(mdctWindow(kBlockStart, 20), 1.0f);
    EXPECT_FLOAT_EQ(mdctWindow(kBlockStart, 33), 0.0f);
    EXPECT_FLOAT_EQ(mdctWindow(kBlockStop, 2), 0.0f);
    EXPECT_NEAR(mdctWindow(kBlockShort, 5), std::sin(kPi / 12 * 5.5), 1e-6);
    // Princen-Bradley: overlapping halves add up to one in power.
    for (int n = 0; n < 18; ++n) {
        const float a = mdctWindow(kBlockNormal, n + 18);
        const float b = mdctWindow(kBlockNormal, n);
        EXPECT_NEAR(a * a + b * b, 1.0f, 1e-5f);
    }
    EXPECT_THROW(mdctWindow(4, 0), EncInvariantError);
}

TEST(BlockSwitchTest, AttackGivesALegalShortSequence) {
    BlockSwitch sw(0);
    SubbandGranule quiet{}, loud{};
    for (int t = 0; t < kSlots; ++t) {
        for (int sb = 0; sb < kSubbands; ++sb) {
            quiet[t][sb] = 0.001f;
            loud[t][sb] = t >= 9 ? 0.5f : 0.001f;
        }
    }
    std::vector<bool> wants;
    for (int g = 0; g < 8; ++g) {
        wants.push_back(sw.wantsShort(g == 4 ? loud : quiet));
    }
    EXPECT_FALSE(wants[3]);
    EXPECT_TRUE(wants[4]);
    BlockSwitch seq(0);
    std::vector<int> types;
    for (size_t g = 0; g + 1 < wants.size(); ++g) {
        types.push_back(seq.decide(wants[g], wants[g + 1]));
    }
    for (size_t i = 1; i < types.size(); ++i) {
        if (types[i] == kBlockShort) {
            EXPECT_TRUE(types[i - 1] == kBlockStart || types[i - 1] == kBlockShort);
        }
        if (types[i - 1] == kBlockShort) {
            EXPECT_TRUE(types[i] == kBlockStop || types[i] == kBlockShort);
        }
    }
    EXPECT_EQ(types[3], kBlockStart);
    EXPECT_EQ(types[4], kBlockShort);
    EXPECT_TRUE(BlockSwitch(2).wantsShort(quiet));
    EXPECT_FALSE(BlockSwitch(1).wantsShort(loud));
}

TEST(PsyModelTest, TonesDemandMoreThanNoiseAndSilenceOnlyTheThresholdInQuiet) {
    OptionConfig options;
    PsyParams params;
    ASSERT_EQ(buildPsyParams(options, 128000, 44100, 2, params), nullptr);
    const L3BandTable& bands = l3BandTable(0, 0);
    PsyLayout layout(bands, 44100, params);
    PsyModel tone(layout, params), noise(layout, params), silence(layout, params);
    float xt[kGranuleLines] = {}, xn[kGranuleLines] = {}, xs[kGranuleLines] = {};
    unsigned seed = 1;
    for (int i = 0; i < kGranuleLines; ++i) {
        seed = seed * 1103515245u + 12345u;
        xn[i] = 0.01f * (static_cast<float>(seed >> 16 & 0xFF) / 128.0f - 1.0f);
    }
    // The tone holds the same energy as the noise in band 10.
    double bandEnergy = 0;
    for (int i = bands.longBounds[10]; i < bands.longBounds[11]; ++i) {
        bandEnergy += double{xn[i]} * xn[i];
    }
    xt[bands.longBounds[10] + 3] = static_cast<float>(std::sqrt(bandEnergy));
    PsyResult rt, rn, rs;
    for (int g = 0; g < 3; ++g) {
        tone.analyse(xt, kBlockNormal, false, rt);
        noise.analyse(xn, kBlockNormal, false, rn);
        silence.analyse(xs, kBlockNormal, false, rs);
    }
    EXPECT_LT(rt.xminLong[10] / rt.energyLong[10], rn.xminLong[10] / rn.energyLong[10]);
    EXPECT_GT(rn.pe, 0.0f);
    EXPECT_EQ(rs.pe, 0.0f);
    for (int b = 0; b < kLongBands; ++b) {
        EXPECT_GT(rs.xminLong[b], 0.0f);
    }
    // Far below a full-scale tone where hearing is keen; the top bands
    // (above 16 kHz) are nearly inaudible and allow much more.
    EXPECT_LT(rs.xminLong[12], 1e-8f);
    EXPECT_GT(rs.xminLong[21], 1e3f * rs.xminLong[12]);
}

// With the complex lines the predicted phase finds a steady tone that lies
// between two lines, where the magnitudes alone see a fluctuating line.
TEST(PsyModelTest, ComplexPredictionFindsAToneBetweenLines) {
    OptionConfig options;
    options.add("CHAOS_METHOD", "0");
    PsyParams params;
    ASSERT_EQ(buildPsyParams(options, 128000, 44100, 2, params), nullptr);
    const L3BandTable& bands = l3BandTable(0, 0);
    PsyLayout layout(bands, 44100, params);
    PsyModel complex(layout, params), real(layout, params);
    std::vector<std::vector<float>> g;
    sineGranules(40.3 * 22050.0 / kGranuleLines, 44100, 10, g);
    ShortOrder order;
    makeShortOrder(bands, order);
    using Granule = float[kSlots][kSubbands];
    PsyResult rc, rr;
    for (size_t i = 1; i < g.size(); ++i) {
        const auto& previous = *reinterpret_cast<const Granule*>(g[i - 1].data());
        const auto& current = *reinterpret_cast<const Granule*>(g[i].data());
        float xr[kGranuleLines], xi[kGranuleLines];
        mdctGranule(previous, current, kBlockNormal, false, order, xr);
        mdstGranule(previous, current, kBlockNormal, false, order, xi);
        complex.analyse(xr, kBlockNormal, false, rc, xi);
        real.analyse(xr, kBlockNormal, false, rr);
    }
    int band = 0;
    while (bands.longBounds[band + 1] <= 40) {
        ++band;
    }
    const float complexRatio = rc.xminLong[band] / rc.energyLong[band];
    const float realRatio = rr.xminLong[band] / rr.energyLong[band];
    // A tone masks far less than noise of its level.
    EXPECT_LT(complexRatio, 0.25f * realRatio);
    EXPECT_LT(10 * std::log10(complexRatio), -35.0f);
}

TEST(EncErrorTest, ChainsAndInvariantReports) {
    auto inner = MP3ENC_ERROR("bit_fram", "non-ISO bitrate");
    auto outer = MP3ENC_ERROR_CHAIN("encifc", "CreateLoopKernel() failed", std::move(inner));
    const std::string text = outer->describe();
    EXPECT_NE(text.find("encifc("), std::string::npos);
    EXPECT_NE(text.find("<- bit_fram("), std::string::npos);
    try {
        MP3ENC_CHECK(1 + 1 == 3);
        FAIL();
    } catch (const EncInvariantError& e) {
        EXPECT_NE(e.report().find("fatal error: 1 + 1 == 3 in file"), std::string::npos);
        EXPECT_NE(e.report().find("This is a program design failure - Aborting."),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace mp3::enc
