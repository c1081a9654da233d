#include "app/ReplayGainLevel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace app {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double db(const tags::ReplayGain& g, ReplayGainMode mode, double preampDb) {
    return 20.0 * std::log10(replayGainFactor(g, mode, preampDb));
}

TEST(ReplayGainLevelTest, ModeTakesItsGainElseTheOtherAndAddsThePreamp) {
    const tags::ReplayGain both{-6.0, {}, -3.0, {}};
    EXPECT_EQ(replayGainFactor(both, ReplayGainMode::Off, 6.0), 1.0f) << "no pre-amp either";
    EXPECT_NEAR(db(both, ReplayGainMode::Track, 0.0), -6.0, 1e-4);
    EXPECT_NEAR(db(both, ReplayGainMode::Album, 1.5), -1.5, 1e-4);
    EXPECT_NEAR(db({{}, {}, -3.0, {}}, ReplayGainMode::Track, 0.0), -3.0, 1e-4);
    EXPECT_NEAR(db({-6.0, {}, {}, {}}, ReplayGainMode::Album, 0.0), -6.0, 1e-4);
    EXPECT_NEAR(db({}, ReplayGainMode::Track, -4.0), -4.0, 1e-4) << "the pre-amp only";
    EXPECT_NEAR(db({}, ReplayGainMode::Album, kNaN), 0.0, 1e-4);
    EXPECT_NEAR(db({-60.0, {}, -3.0, {}}, ReplayGainMode::Track, 0.0), -3.0, 1e-4)
        << "a gain no tagger measures counts as none";
    EXPECT_NEAR(db({15.0, {}, {}, {}}, ReplayGainMode::Track, 15.0), 20.0, 1e-4);
}

TEST(ReplayGainLevelTest, PeakOfTheGainTakenKeepsTheFactorFromClipping) {
    tags::ReplayGain g{6.0, 0.8, 2.0, 0.5};
    EXPECT_FLOAT_EQ(replayGainFactor(g, ReplayGainMode::Track, 0.0), 1.25f);
    EXPECT_NEAR(db(g, ReplayGainMode::Album, 0.0), 2.0, 1e-4) << "room left";
    g.trackGainDb.reset();  // Track falls back to the album's gain and peak
    EXPECT_FLOAT_EQ(replayGainFactor(g, ReplayGainMode::Track, 6.0), 2.0f);
    g.albumPeak.reset();  // then to the other peak
    EXPECT_FLOAT_EQ(replayGainFactor(g, ReplayGainMode::Track, 6.0), 1.25f);
    g.trackPeak = 0.0;
    EXPECT_NEAR(db(g, ReplayGainMode::Track, 6.0), 8.0, 1e-4) << "no peak to divide by";
}

TEST(ReplayGainLevelTest, StoredValuesOffTheRangeReadAsTheDefaults) {
    EXPECT_EQ(replayGainModeOf(2), ReplayGainMode::Album);
    EXPECT_EQ(replayGainModeOf(3), ReplayGainMode::Off);
    EXPECT_EQ(replayGainModeOf(-1), ReplayGainMode::Off);
    EXPECT_EQ(replayGainPreampOf(-150), -150);
    EXPECT_EQ(replayGainPreampOf(151), 0);
}

}  // namespace
}  // namespace app
