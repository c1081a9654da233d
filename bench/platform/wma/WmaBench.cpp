// Speed of the WMA layer on 10 s of 44.1 kHz stereo: encoding at the
// default 128 kbit/s and decoding the result (real-time factor = 10 s
// divided by the time per iteration).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <vector>

#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaModule.h"
#include "platform/wma/WmaWriter.h"

namespace {

using namespace platform::wma;
namespace fs = std::filesystem;

constexpr uint32_t kRate = 44100;
constexpr size_t kFrames = 10 * kRate;

std::vector<int16_t> music() {
    std::vector<int16_t> pcm(kFrames * 2);
    for (size_t i = 0; i < kFrames; ++i) {
        const double t = double(i) / kRate;
        const double v =
            6000 * std::sin(2 * std::numbers::pi * 220 * t) +
            3000 * std::sin(2 * std::numbers::pi * 1760 * t) +
            1000 * std::sin(2 * std::numbers::pi * 7040 * t * (1 + 0.01 * std::sin(t)));
        pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(v);
    }
    return pcm;
}

fs::path benchFile() {
    return fs::temp_directory_path() / ("wma-bench-" + std::to_string(::getpid()) + ".wma");
}

void encode(const fs::path& path, const std::vector<int16_t>& pcm) {
    const auto writer = wmaCodec().createWriter(path, platform::WaveFormat::pcm(2, kRate, 16),
                                                OutputSettings{}, {});
    writer->write({reinterpret_cast<const uint8_t*>(pcm.data()), pcm.size() * 2});
    writer->finish();
}

void BM_Encode10s(benchmark::State& state) {
    const auto pcm = music();
    const fs::path path = benchFile();
    for (auto _ : state) {
        encode(path, pcm);
    }
    fs::remove(path);
}
BENCHMARK(BM_Encode10s)->Unit(benchmark::kMillisecond);

void BM_Decode10s(benchmark::State& state) {
    const fs::path path = benchFile();
    encode(path, music());
    for (auto _ : state) {
        const auto decoder = wmaCodec().openDecoder(path);
        size_t bytes = 0;
        for (auto block = decoder->next(); !block.empty(); block = decoder->next()) {
            bytes += block.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    fs::remove(path);
}
BENCHMARK(BM_Decode10s)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
