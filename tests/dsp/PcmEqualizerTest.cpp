#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "dsp/PcmEqualizer.h"

namespace {

using dsp::EqualizerSettings;
using dsp::PcmEqualizer;
using platform::WaveFormat;

EqualizerSettings pcmBoost(size_t band, double level) {
    EqualizerSettings s;
    s.enabled = true;
    s.levelsDb[band] = level;
    return s;
}

std::vector<uint8_t> pcmNoise(size_t bytes) {
    std::mt19937 random(11);
    std::vector<uint8_t> v(bytes);
    for (uint8_t& b : v) {
        b = static_cast<uint8_t>(random());
    }
    return v;
}

std::vector<uint8_t> pcm16Sine(double hz, uint32_t rate, size_t frames, double amp) {
    std::vector<uint8_t> v(frames * 4);
    for (size_t i = 0; i < frames; ++i) {
        const auto s = static_cast<int16_t>(
            std::lround(amp * 32767 * std::sin(2 * std::numbers::pi * hz * double(i) / rate)));
        for (int c = 0; c < 2; ++c) {
            std::memcpy(&v[i * 4 + size_t(c) * 2], &s, 2);
        }
    }
    return v;
}

double pcm16RmsDb(const std::vector<uint8_t>& v, size_t fromFrame) {
    double sum = 0;
    size_t n = 0;
    for (size_t at = fromFrame * 4; at + 2 <= v.size(); at += 2, ++n) {
        int16_t s;
        std::memcpy(&s, &v[at], 2);
        sum += double(s) * s;
    }
    return 10 * std::log10(sum / double(n));
}

TEST(PcmEqualizerTest, OffOrFlatLeavesEveryFormatBitForBit) {
    WaveFormat f32 = WaveFormat::pcm(2, 44100, 32);
    f32.setTag(platform::kWaveFormatIeeeFloat);
    for (const WaveFormat& format :
         {WaveFormat::pcm(2, 44100, 16), WaveFormat::pcm(1, 8000, 8), WaveFormat::pcm(6, 48000, 24),
          WaveFormat::pcm(2, 96000, 32), f32}) {
        for (const bool enabled : {false, true}) {
            PcmEqualizer eq;
            EqualizerSettings s = pcmBoost(4, enabled ? 0 : 8);
            s.enabled = enabled;
            eq.SetSettings(s);
            eq.Configure(format);
            const auto input = pcmNoise(size_t{format.blockAlign()} * 4000);
            auto v = input;
            eq.Process(v);
            EXPECT_EQ(v, input) << format.bitsPerSample() << " bits, on " << enabled;
        }
    }
}

TEST(PcmEqualizerTest, BoostsIntegerAndFloatSamples) {
    const uint32_t rate = 44100;
    PcmEqualizer eq;
    eq.Configure(WaveFormat::pcm(2, rate, 16));
    eq.SetSettings(pcmBoost(5, 10));
    auto tone = pcm16Sine(1000, rate, rate, 0.03);
    const double before = pcm16RmsDb(tone, 0);
    eq.Process(tone);
    EXPECT_NEAR(pcm16RmsDb(tone, rate / 5) - before, 10.0, 0.4);

    WaveFormat f32 = WaveFormat::pcm(1, rate, 32);
    f32.setTag(platform::kWaveFormatIeeeFloat);
    f32.setBlockAlign(4);
    PcmEqualizer floats;
    floats.SetSettings(pcmBoost(5, -10));
    floats.Configure(f32);
    std::vector<float> samples(rate);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = 0.5f * float(std::sin(2 * std::numbers::pi * 1000 * double(i) / rate));
    }
    floats.Process({reinterpret_cast<uint8_t*>(samples.data()), samples.size() * 4});
    float peak = 0;
    for (size_t i = rate / 2; i < samples.size(); ++i) {
        peak = std::max(peak, std::abs(samples[i]));
    }
    EXPECT_NEAR(20 * std::log10(peak / 0.5), -10.0, 0.4);
}

// A boosted full-scale tone must not wrap around to the opposite sign.
TEST(PcmEqualizerTest, BoostedPeaksAreBentNotWrapped) {
    const uint32_t rate = 44100;
    PcmEqualizer eq;
    eq.Configure(WaveFormat::pcm(2, rate, 16));
    EqualizerSettings s = pcmBoost(5, 10);
    s.gainDb = 10;
    eq.SetSettings(s);
    const auto input = pcm16Sine(1000, rate, rate / 2, 0.99);
    auto v = input;
    eq.Process(v);
    for (size_t at = 0; at + 2 <= v.size(); at += 2) {
        int16_t in, out;
        std::memcpy(&in, &input[at], 2);
        std::memcpy(&out, &v[at], 2);
        // The filter shifts the phase a little; a wrap would flip a large
        // positive sample to a large negative one.
        if (std::abs(in) > 30000) {
            ASSERT_EQ(in > 0, out > 0) << at;
        }
    }
}

}  // namespace
