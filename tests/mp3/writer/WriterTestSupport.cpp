#include "WriterTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

#include "stream/CNxSSException.h"
#include "stream/CNxSSPacket.h"

namespace writertest {

Pcm Audio(uint32_t rate, uint16_t channels, double seconds, double amplitude, double noiseSeconds) {
    Pcm pcm{platform::WaveFormat::pcm(channels, rate, 16), {}};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-0.7, 0.7);
    const auto frames = static_cast<size_t>((seconds + noiseSeconds) * rate);
    for (size_t i = 0; i < frames * channels; ++i) {
        const double t = double(i / channels) / rate;
        const double v =
            t < seconds ? amplitude * std::sin(2 * std::numbers::pi * 440 * t) : noise(random);
        pcm.samples.push_back(static_cast<int16_t>(std::lround(v * 32767)));
    }
    return pcm;
}

double Rms(const std::vector<int16_t>& samples) {
    double sum = 0;
    for (const int16_t s : samples) {
        sum += double(s) * s;
    }
    return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size()));
}

std::vector<Frame> Frames(const std::vector<uint8_t>& file, size_t* end) {
    std::vector<Frame> frames;
    size_t at = 0;
    for (Frame f; at + 4 <= file.size(); at += f.header.frameBytes()) {
        const uint32_t word = uint32_t{file[at]} << 24 | uint32_t{file[at + 1]} << 16 |
                              uint32_t{file[at + 2]} << 8 | file[at + 3];
        if (!mp3::decodeMp3Header(word, f.header) || at + f.header.frameBytes() > file.size()) {
            break;
        }
        f.offset = at;
        frames.push_back(f);
    }
    *end = at;
    return frames;
}

}  // namespace writertest
