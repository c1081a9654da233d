#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "CliRun.h"
#include "TestWave.h"
#include "support/TempSettings.h"

namespace {

// A 1 kHz stereo tone at -30 dBFS, 16-bit 44.1 kHz.
acmtest::WaveFile eqCliTone(double seconds) {
    acmtest::WaveFile wave{platform::WaveFormat::pcm(2, 44100, 16), {}, {}};
    const auto frames = static_cast<size_t>(44100 * seconds);
    const double amplitude = 32767 * std::pow(10.0, -30.0 / 20);
    for (size_t i = 0; i < frames; ++i) {
        const auto s = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * 1000 * double(i) / 44100)));
        for (int c = 0; c < 2; ++c) {
            wave.data.push_back(static_cast<uint8_t>(s & 0xFF));
            wave.data.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
        }
    }
    return wave;
}

// RMS level in dB of the 16-bit samples from the second half second on.
double eqCliLevel(const std::vector<uint8_t>& data) {
    double sum = 0;
    size_t n = 0;
    for (size_t at = 44100 * 2; at + 2 <= data.size(); at += 2, ++n) {
        const auto s = static_cast<int16_t>(data[at] | data[at + 1] << 8);
        sum += double(s) * s;
    }
    return 10 * std::log10(sum / double(n));
}

TEST(CliPlayEqualizer, BoostsABandAndIsExactWhenOff) {
    TempSettings settings;
    const auto in = TempSettings::folder() / "tone.wav";
    const auto out = TempSettings::folder() / "heard.wav";
    acmtest::writeWave(in, eqCliTone(1.5));
    const double input = eqCliLevel(acmtest::readWave(in).data);

    const std::string play = "play --device file:" + quoted(out) + " ";
    ASSERT_EQ(cli(play + "--eq 0,0,0,0,0,10,0,0,0,0 " + quoted(in)).exitCode, 0);
    EXPECT_NEAR(eqCliLevel(acmtest::readWave(out).data) - input, 10.0, 0.5);

    ASSERT_EQ(cli(play + "--eq 0,0,0,0,0,0,0,0,0,0 --eq-gain -4 " + quoted(in)).exitCode, 0);
    EXPECT_NEAR(eqCliLevel(acmtest::readWave(out).data) - input, -4.0, 0.05);

    ASSERT_EQ(cli(play + quoted(in)).exitCode, 0);
    EXPECT_EQ(acmtest::readWave(out).data, acmtest::readWave(in).data);

    EXPECT_EQ(cli(play + "--eq 1,2,3 " + quoted(in)).exitCode, 2);
    EXPECT_EQ(cli(play + "--eq-gain 11 " + quoted(in)).exitCode, 2);
}

}  // namespace
