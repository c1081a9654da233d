#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "dsp/SpectrumAnalyzer.h"
#include "dsp/SpectrumMeter.h"

namespace {

using dsp::SpectrumAnalyzer;
using dsp::SpectrumMeter;

// 16-bit stereo frames of a sine at `bin` of a 512-point transform, `db`
// below full scale.
std::vector<uint8_t> stereoTone(double bin, double db, size_t frames = 1024) {
    std::vector<uint8_t> bytes;
    const double amplitude = 32767 * std::pow(10.0, db / 20);
    for (size_t i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * std::numbers::pi * bin * double(i) / 512);
        const auto s = static_cast<int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
        for (int c = 0; c < 2; ++c) {
            bytes.push_back(static_cast<uint8_t>(s & 0xFF));
            bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
        }
    }
    return bytes;
}

// The band that holds `bin` with the 16-band layout (bin 1 is band 0).
size_t bandOfBin(size_t bin) {
    constexpr size_t kWidths[] = {1, 1, 1, 2, 2, 2, 3, 3, 4, 6, 6, 9, 11, 13, 17, 22};
    size_t last = 0;
    for (size_t b = 0; b < 16; ++b) {
        last += kWidths[b];
        if (bin <= last) {
            return b;
        }
    }
    return 16;
}

TEST(SpectrumAnalyzerTest, SizesFollowTheBandCount) {
    EXPECT_EQ(SpectrumAnalyzer::TransformSize(16), 512u);
    EXPECT_EQ(SpectrumAnalyzer::TransformSize(32), 1024u);
    EXPECT_EQ(SpectrumAnalyzer::TransformSize(3), 8u);
    EXPECT_EQ(SpectrumAnalyzer::TransformSize(100), 128u);
    EXPECT_EQ(SpectrumAnalyzer::TransformSize(1 << 20), 65536u);
    EXPECT_DOUBLE_EQ(SpectrumAnalyzer::FullScale(512), 140723565033940.0);
    EXPECT_DOUBLE_EQ(SpectrumAnalyzer::FullScale(65536), 2.3056124834363e18);
}

// A tone on a bin shows at its level in the band holding the bin and far
// below in the others; the 16 bands cover bins 1..103 and no more.
TEST(SpectrumAnalyzerTest, AToneLightsItsBandAtItsLevel) {
    SpectrumAnalyzer analyzer(16);
    analyzer.SetLayout(16, 2);
    ASSERT_EQ(analyzer.Size(), 512u);
    for (size_t bin : {1u, 5u, 40u, 103u}) {
        analyzer.Analyze(stereoTone(double(bin), -20));
        const auto& bands = analyzer.BandValues();
        ASSERT_EQ(bands.size(), 16u);
        for (size_t b = 0; b < 16; ++b) {
            if (b == bandOfBin(bin)) {
                EXPECT_NEAR(bands[b], -20, 0.1) << "bin " << bin;
            } else {
                EXPECT_LT(bands[b], -80) << "bin " << bin << " band " << b;
            }
        }
    }
    analyzer.Analyze(stereoTone(104, 0));
    EXPECT_LT(analyzer.BandValues()[15], -80);
    analyzer.Analyze(stereoTone(40, 6));  // clipped louder than full scale
    EXPECT_EQ(analyzer.BandValues()[bandOfBin(40)], 0);
}

TEST(SpectrumAnalyzerTest, EightBitMonoIsCentredAndScaled) {
    SpectrumAnalyzer analyzer(16);
    analyzer.SetLayout(8, 1);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < 512; ++i) {
        bytes.push_back(static_cast<uint8_t>(
            128 + std::lround(12.7 * std::sin(2 * std::numbers::pi * 20 * double(i) / 512))));
    }
    analyzer.Analyze(bytes);
    EXPECT_NEAR(analyzer.BandValues()[bandOfBin(20)], -20, 0.5);
    EXPECT_LT(analyzer.BandValues()[0], -60);  // the 128 offset is not a tone
    bytes.assign(512, 128);
    analyzer.Analyze(bytes);
    for (double v : analyzer.BandValues()) {
        EXPECT_LT(v, -120);  // silence: every bin counts as power 1
    }
}

TEST(SpectrumMeterTest, LevelsLightSegmentsAndBarsFallHalfASegmentPerDrawing) {
    SpectrumMeter meter(3);
    meter.SetValue(0, -10);
    meter.SetValue(1, -60);
    meter.SetValue(2, -35);  // target 10: five segments
    for (int s = 0; s < 10; ++s) {
        EXPECT_EQ(meter.State(0, s), SpectrumMeter::Segment::kLit);
        EXPECT_EQ(meter.State(1, s), SpectrumMeter::Segment::kOff);
    }
    EXPECT_EQ(meter.State(2, 4), SpectrumMeter::Segment::kLit);
    EXPECT_EQ(meter.State(2, 5), SpectrumMeter::Segment::kOff);
    EXPECT_EQ(meter.Draw(false).size(), 15u);  // ten + five segments changed from off

    // Half a segment lower the highest lit segment becomes the top one.
    EXPECT_EQ(meter.State(0, 9), SpectrumMeter::Segment::kTop);
    EXPECT_EQ(meter.Draw(false), (std::vector<size_t>{9, 24}));
    int steps = 2;
    for (; meter.Moving(); ++steps) {
        meter.Draw(false);
    }
    EXPECT_EQ(steps, 21);  // 21 half segments, one per drawing
    EXPECT_EQ(meter.Draw(true).size(), 30u);

    // A quieter value than the held one does not lift the bar; after the
    // fall the hold is gone.
    meter.SetValue(0, -20);
    meter.Draw(false);
    meter.SetValue(0, -40);
    EXPECT_EQ(meter.State(0, 7), SpectrumMeter::Segment::kTop);
    meter.SetValue(0, -999);
    EXPECT_TRUE(meter.Moving());
}

}  // namespace
