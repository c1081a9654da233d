#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "dsp/Equalizer.h"
#include "dsp/EqualizerDesign.h"

namespace {

using dsp::Equalizer;
using dsp::EqualizerDesign;
using dsp::EqualizerSettings;

EqualizerSettings eqOneBand(size_t band, double level) {
    EqualizerSettings s;
    s.enabled = true;
    s.levelsDb[band] = level;
    return s;
}

EqualizerSettings eqAllBands(double level) {
    EqualizerSettings s;
    s.enabled = true;
    s.levelsDb.fill(level);
    return s;
}

std::vector<double> eqSine(double hz, double rate, size_t frames, unsigned channels, double amp) {
    std::vector<double> v(frames * channels);
    for (size_t i = 0; i < frames; ++i) {
        for (unsigned c = 0; c < channels; ++c) {
            v[i * channels + c] = amp * std::sin(2 * std::numbers::pi * hz * double(i) / rate);
        }
    }
    return v;
}

double eqRmsDb(const std::vector<double>& v, size_t from) {
    double sum = 0;
    for (size_t i = from; i < v.size(); ++i) {
        sum += v[i] * v[i];
    }
    return 10 * std::log10(sum / double(v.size() - from));
}

double eqLargestStep(const std::vector<double>& v, size_t from, size_t to, unsigned channels) {
    double largest = 0;
    for (size_t i = from + channels; i < to; ++i) {
        largest = std::max(largest, std::abs(v[i] - v[i - channels]));
    }
    return largest;
}

TEST(EqualizerDesignTest, EachBandMeetsItsLevelAtItsCentre) {
    for (const double rate : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0}) {
        const EqualizerDesign design(rate);
        for (size_t band = 0; band < dsp::kEqualizerBands; ++band) {
            if (!design.Active(band)) {
                continue;
            }
            for (const double level : {10.0, -10.0, 3.0}) {
                EqualizerSettings s = eqOneBand(band, level);
                const auto gains = design.FilterGains(s.levelsDb);
                for (size_t other = 0; other < dsp::kEqualizerBands; ++other) {
                    if (design.Active(other)) {
                        EXPECT_NEAR(design.ResponseDb(gains, design.Centres()[other]),
                                    other == band ? level : 0.0, other == band ? 0.4 : 0.75)
                            << rate << " Hz, band " << band << " at " << level << ", centre "
                            << other;
                    }
                }
            }
        }
    }
}

TEST(EqualizerDesignTest, CentresStayBelowNyquistAndEqualLevelsAreFlat) {
    const EqualizerDesign low(8000);
    EXPECT_TRUE(low.Active(7));
    EXPECT_FALSE(low.Active(8));
    EXPECT_FALSE(low.Active(9));
    EXPECT_LT(low.Centres()[7], 4000);

    const EqualizerDesign design(44100);
    for (const double level : {10.0, -10.0, 4.0}) {
        const auto gains = design.FilterGains(eqAllBands(level).levelsDb);
        for (double hz = 40; hz <= 14000; hz *= 1.02) {
            EXPECT_NEAR(design.ResponseDb(gains, hz), level, 1.0) << hz << " Hz at " << level;
        }
    }
    // Alternating extremes stay solvable and bounded.
    std::array<double, dsp::kEqualizerBands> zigzag{};
    for (size_t b = 0; b < zigzag.size(); ++b) {
        zigzag[b] = b % 2 ? 20 : -20;
    }
    for (const double g : design.FilterGains(zigzag)) {
        EXPECT_LE(std::abs(g), EqualizerDesign::kMaxFilterDb);
    }
}

TEST(EqualizerTest, ToneAtABoostedCentreGainsTheLevel) {
    const double rate = 44100;
    Equalizer eq(rate, 2);
    EqualizerSettings s = eqOneBand(5, 10);
    s.gainDb = -2;
    eq.SetSettings(s);
    auto tone = eqSine(1000, rate, 44100, 2, 0.03);
    const double before = eqRmsDb(tone, 0);
    eq.Process(tone);
    EXPECT_NEAR(eqRmsDb(tone, 8820 * 2) - before, 8.0, 0.4);
}

TEST(EqualizerTest, ExtremeSettingsStayStableAndWithinFullScale) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (const double rate : {8000.0, 44100.0, 192000.0}) {
        for (const double level : {20.0, -20.0}) {
            Equalizer eq(rate, 2);
            EqualizerSettings s = eqAllBands(level);
            s.levelsDb[3] = -level;
            s.gainDb = 10;
            eq.SetSettings(s);
            std::vector<double> v(size_t(rate) * 2);
            for (double& x : v) {
                x = noise(random);
            }
            eq.Process(v);
            for (const double y : v) {
                ASSERT_TRUE(std::isfinite(y));
                ASSERT_LE(std::abs(y), 1.0);
            }
        }
    }
}

TEST(EqualizerTest, OffAndNeutralSettingsPassSamplesBitForBit) {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::vector<double> input(48000 * 2);
    for (double& x : input) {
        x = noise(random);
    }
    Equalizer eq(48000, 2);
    EqualizerSettings off = eqAllBands(6);
    off.enabled = false;
    eq.SetSettings(off);
    EXPECT_TRUE(eq.Bypassed());
    auto v = input;
    eq.Process(v);
    EXPECT_EQ(v, input);

    // Switched on, then to all zeros: once rung out it is exact again.
    eq.SetSettings(eqOneBand(0, 10));
    v = input;
    eq.Process(v);
    EXPECT_NE(v, input);
    eq.SetSettings(eqAllBands(0));
    v = input;
    eq.Process(v);
    EXPECT_TRUE(eq.Bypassed());
    v = input;
    eq.Process(v);
    EXPECT_EQ(v, input);
}

// A level change glides: the largest step between two samples across the
// change stays within the signal's own before or after it (a few per cent
// of envelope overshoot on a low tone; a click is many times the step).
TEST(EqualizerTest, LevelChangesMakeNoClick) {
    const double rate = 44100;
    const unsigned channels = 2;
    const size_t half = 22050;
    const std::vector<std::pair<EqualizerSettings, EqualizerSettings>> changes = {
        {eqAllBands(0), eqOneBand(5, 10)},
        {eqOneBand(5, 10), eqOneBand(5, -10)},
        {eqAllBands(-10), eqAllBands(10)},
        {eqOneBand(1, 10), EqualizerSettings{}},
    };
    for (const auto& [from, to] : changes) {
        for (const double hz : {1000.0, 100.0}) {
            Equalizer eq(rate, channels);
            eq.SetSettings(from);
            auto v = eqSine(hz, rate, 2 * half, channels, 0.05);
            std::span<double> all(v);
            eq.Process(all.first(half * channels));
            eq.SetSettings(to);
            eq.Process(all.subspan(half * channels));
            const size_t at = half * channels;
            const size_t window = 4410 * channels;
            const double own = std::max(eqLargestStep(v, at - window, at, channels),
                                        eqLargestStep(v, v.size() - window, v.size(), channels));
            EXPECT_LE(eqLargestStep(v, at - channels, at + window, channels), own * 1.05)
                << hz << " Hz";
        }
    }
}

TEST(EqualizerTest, SoftLimiterBendsInsteadOfClipping) {
    EXPECT_EQ(dsp::softLimit(0.5), 0.5);
    EXPECT_EQ(dsp::softLimit(-0.9), -0.9);
    EXPECT_LT(dsp::softLimit(1.2), 1.0);
    EXPECT_LE(dsp::softLimit(30.0), 1.0);
    EXPECT_GT(dsp::softLimit(1.2), dsp::softLimit(1.0));
    EXPECT_EQ(dsp::softLimit(-2.0), -dsp::softLimit(2.0));
}

}  // namespace
