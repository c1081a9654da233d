// Measures the resampler: pass-band ripple, aliasing and imaging with
// tones, a 44.1 -> 48 -> 44.1 kHz round trip of a sweep, and the speed of
// a 44.1 -> 48 kHz stereo 16-bit file conversion next to sox's default.
//
//   acm_resampler_bench [seconds]     (default 120 s of audio)
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "TestWave.h"
#include "platform/acm/Resampler.h"

namespace {

using platform::acm::Resampler;

std::vector<float> resample(uint32_t from, uint32_t to, const std::vector<float>& x) {
    Resampler r(from, to, 1);
    std::vector<float> y(r.outputFramesFor(x.size()) + r.lookAheadFrames() * 2 + 16);
    size_t n = r.process(x, y);
    n += r.finish(std::span<float>(y).subspan(n));
    y.resize(n);
    return y;
}

std::vector<float> tone(double f, uint32_t rate, size_t frames) {
    std::vector<float> x(frames);
    for (size_t i = 0; i < frames; ++i) {
        x[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * f * double(i) / rate));
    }
    return x;
}

// Fits a*sin + b*cos at f over the middle half (Hann window); returns the
// tone's amplitude and the rest's power relative to a 0.5 tone, in dB.
struct Fit {
    double gainDb;
    double residualDb;
};

Fit fit(const std::vector<float>& y, double f, uint32_t rate) {
    const size_t from = y.size() / 4, n = y.size() / 2;
    double c = 0, s = 0, wsum = 0;
    for (size_t i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(n));
        const double a = 2 * M_PI * f * double(from + i) / rate;
        c += w * y[from + i] * std::cos(a);
        s += w * y[from + i] * std::sin(a);
        wsum += w;
    }
    const double ac = 2 * c / wsum, as = 2 * s / wsum;
    double rest = 0;
    for (size_t i = 0; i < n; ++i) {
        const double a = 2 * M_PI * f * double(from + i) / rate;
        const double e = y[from + i] - ac * std::cos(a) - as * std::sin(a);
        rest += e * e;
    }
    return {20 * std::log10(std::hypot(ac, as) / 0.5), 10 * std::log10(rest / double(n) / 0.125)};
}

void passband(uint32_t from, uint32_t to) {
    const uint32_t lower = std::min(from, to);
    double lo = 1e9, hi = -1e9, residual = -1e9;
    for (int k = 0; k <= 60; ++k) {
        const double f = 20 + (0.45 * lower - 20) * k / 60.0;
        const Fit r = fit(resample(from, to, tone(f, from, from)), f, to);
        lo = std::min(lo, r.gainDb);
        hi = std::max(hi, r.gainDb);
        residual = std::max(residual, r.residualDb);
    }
    std::printf(
        "%6u -> %6u  pass band 20 Hz..%.0f Hz: ripple %+.6f / %+.6f dB, "
        "worst image/alias/noise %.1f dB\n",
        from, to, 0.45 * lower, lo, hi, residual);
}

void stopband(uint32_t from, uint32_t to) {
    double worst = -1e9;
    const double edge = 0.5 * to, top = 0.5 * from;
    for (int k = 0; k <= 40; ++k) {
        const double f = edge + (top - edge) * (k + 0.5) / 41.0;
        const auto y = resample(from, to, tone(f, from, from));
        double e = 0;
        for (size_t i = y.size() / 4; i < 3 * y.size() / 4; ++i) {
            e += double(y[i]) * y[i];
        }
        worst = std::max(worst, 10 * std::log10(e / double(y.size() / 2) / 0.125));
    }
    std::printf("%6u -> %6u  tones %.0f..%.0f Hz (above the new Nyquist): worst alias %.1f dB\n",
                from, to, edge, top, worst);
}

void roundTrip() {
    const uint32_t rate = 44100;
    std::vector<float> x(rate * 4);
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = double(i) / rate;
        x[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * (20 * t + (19845 - 20) / 8.0 * t * t)));
    }
    const auto back = resample(48000, rate, resample(rate, 48000, x));
    double s = 0, e = 0;
    for (size_t i = rate / 2; i < x.size() - rate / 2; ++i) {
        s += double(x[i]) * x[i];
        e += (double(x[i]) - back[i]) * (double(x[i]) - back[i]);
    }
    std::printf("44100 -> 48000 -> 44100 sweep 20 Hz..19845 Hz: length %zu -> %zu, error %.1f dB\n",
                x.size(), back.size(), 10 * std::log10(e / s));
}

// CPU seconds of this thread, and of finished child processes: the machine
// is shared, so wall time says little.
double threadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double childrenCpu() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    auto secs = [](const timeval& v) { return double(v.tv_sec) + double(v.tv_usec) * 1e-6; };
    return secs(u.ru_utime) + secs(u.ru_stime);
}

constexpr int kRuns = 5;

template <typename Run>
double best(Run run) {
    double fastest = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        fastest = std::min(fastest, run());
    }
    return fastest;
}

void report(const char* what, double cpu, double audioSeconds) {
    std::printf("  %-34s %7.3f s CPU  %6.0fx real time\n", what, cpu, audioSeconds / cpu);
}

void speed(double audioSeconds) {
    using namespace platform::acm;
    acmtest::TempDir dir;
    const auto in = dir / "in.wav", ours = dir / "ours.wav", sox = dir / "sox.wav";
    const acmtest::WaveFile source{platform::WaveFormat::pcm(2, 44100, 16),
                                   acmtest::toBytes(acmtest::sweep(44100, 2, audioSeconds, 0.7)),
                                   {}};
    acmtest::writeWave(in, source);
    std::printf("\nspeed, %.0f s of 44100 Hz stereo 16-bit -> 48000 Hz, best of %d:\n",
                audioSeconds, kRuns);

    const auto samples = acmtest::toSamples(source.data);
    auto inMemory = [&](DotKernel kernel) {
        Resampler r(44100, 48000, 2, kernel);
        std::vector<int16_t> out((r.outputFramesFor(samples.size() / 2) + 1024) * 2);
        const double t0 = threadCpu();
        const size_t n = r.process(samples, out);
        r.finish(std::span(out).subspan(n * 2));
        return threadCpu() - t0;
    };
    report("resampler, 16-bit in memory", best([&] { return inMemory(DotKernel::best()); }),
           audioSeconds);
    report("  same, portable kernel (no AVX2)",
           best([&] { return inMemory(DotKernel::portable()); }), audioSeconds);

    const auto codecs = CodecRegistry::standard();
    const double file = best([&] {
        const double t0 = threadCpu();
        const auto wave = acmtest::readWave(in);
        const auto target = platform::WaveFormat::pcm(2, 48000, 16);
        acmtest::writeWave(
            ours,
            {target, acmtest::convertAll(codecs, wave.format, target, wave.data, 65536 * 4), {}});
        return threadCpu() - t0;
    });
    report("file -> conversion stream -> file", file, audioSeconds);

    if (!acmtest::haveTool("sox")) {
        std::printf("  sox not installed\n");
        return;
    }
    for (const char* options : {"", "-D "}) {
        const double took = best([&] {
            const double t0 = childrenCpu();
            acmtest::run(std::string("sox ") + options + "'" + in.string() + "' -r 48000 '" +
                         sox.string() + "'");
            return childrenCpu() - t0;
        });
        report(*options ? "sox -D (no dither)" : "sox, default rate (with dither)", took,
               audioSeconds);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const double audioSeconds = argc > 1 ? std::atof(argv[1]) : 120.0;
    std::printf("resampler: %.0f dB stop band, pass band to %.2f x the lower rate\n\n",
                platform::acm::PolyphaseFilter::kStopbandDb,
                platform::acm::PolyphaseFilter::kPassbandEdge);
    for (const auto& [a, b] : {std::pair{44100u, 48000u},
                               {48000u, 44100u},
                               {44100u, 47999u},
                               {8000u, 44100u},
                               {44100u, 8000u},
                               {96000u, 44100u}}) {
        passband(a, b);
    }
    for (const auto& [a, b] :
         {std::pair{48000u, 44100u}, {44100u, 8000u}, {96000u, 44100u}, {47999u, 44100u}}) {
        stopband(a, b);
    }
    roundTrip();
    speed(audioSeconds);
}
