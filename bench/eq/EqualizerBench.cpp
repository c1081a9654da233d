// Time to equalize one second of 44.1 kHz 16-bit stereo: the share of one
// core the renderer spends on it is that time over one second (1 ms per
// iteration is 0.1 %).
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "dsp/PcmEqualizer.h"
#include "dsp/SpectrumAnalyzer.h"

namespace {

constexpr uint32_t kRate = 44100;

std::vector<uint8_t> oneSecondOfMusic() {
    std::vector<uint8_t> bytes(size_t{kRate} * 4);
    for (size_t i = 0; i < kRate; ++i) {
        const double t = double(i) / kRate;
        const auto s = static_cast<int16_t>(8000 * (std::sin(2 * std::numbers::pi * 220 * t) +
                                                    std::sin(2 * std::numbers::pi * 3100 * t)));
        for (size_t c = 0; c < 2; ++c) {
            bytes[i * 4 + c * 2] = static_cast<uint8_t>(s & 0xFF);
            bytes[i * 4 + c * 2 + 1] = static_cast<uint8_t>((s >> 8) & 0xFF);
        }
    }
    return bytes;
}

dsp::EqualizerSettings benchSettings(bool gliding) {
    dsp::EqualizerSettings s;
    s.enabled = true;
    s.levelsDb = {6, 4, 2, 0, -2, -2, 0, 2, 4, 6};
    s.gainDb = gliding ? -3 : 0;
    return s;
}

// Steady settings: the filters run on every block.
void BM_EqualizeSecond(benchmark::State& state) {
    const auto music = oneSecondOfMusic();
    dsp::PcmEqualizer eq;
    eq.Configure(platform::WaveFormat::pcm(2, kRate, 16));
    eq.SetSettings(benchSettings(false));
    for (auto _ : state) {
        auto block = music;
        eq.Process(block);
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_EqualizeSecond)->Unit(benchmark::kMillisecond);

// A settings change in every second: design and glide included.
void BM_EqualizeSecondWithChange(benchmark::State& state) {
    const auto music = oneSecondOfMusic();
    dsp::PcmEqualizer eq;
    eq.Configure(platform::WaveFormat::pcm(2, kRate, 16));
    bool gliding = false;
    for (auto _ : state) {
        eq.SetSettings(benchSettings(gliding = !gliding));
        auto block = music;
        eq.Process(block);
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_EqualizeSecondWithChange)->Unit(benchmark::kMillisecond);

// One picture of the spectrum display (taken 25 times a second) for the
// given band count: the display's worker spends this per period.
void BM_SpectrumPicture(benchmark::State& state) {
    const auto music = oneSecondOfMusic();
    dsp::SpectrumAnalyzer analyzer(static_cast<size_t>(state.range(0)));
    analyzer.SetLayout(16, 2);
    for (auto _ : state) {
        analyzer.Analyze(music);
        benchmark::DoNotOptimize(analyzer.BandValues().data());
    }
}
BENCHMARK(BM_SpectrumPicture)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
