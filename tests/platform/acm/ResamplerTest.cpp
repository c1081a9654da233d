#include "platform/acm/Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <vector>

namespace {

using platform::acm::DotKernel;
using platform::acm::Resampler;

std::vector<float> resample(Resampler& r, const std::vector<float>& input) {
    std::vector<float> out(
        (r.outputFramesFor(input.size() / r.channels()) + r.lookAheadFrames() + 8) * r.channels() *
        2);
    size_t n = r.process(input, out);
    n += r.finish(std::span<float>(out).subspan(n * r.channels()));
    out.resize(n * r.channels());
    return out;
}

std::vector<float> resample(uint32_t from, uint32_t to, const std::vector<float>& input) {
    Resampler r(from, to, 1);
    return resample(r, input);
}

std::vector<float> tone(double freq, uint32_t rate, size_t frames, double amplitude = 0.5) {
    std::vector<float> x(frames);
    for (size_t i = 0; i < frames; ++i) {
        x[i] = static_cast<float>(amplitude * std::sin(2 * M_PI * freq * i / rate));
    }
    return x;
}

// Amplitude of one frequency in the middle half of a signal (Hann window).
double amplitudeAt(const std::vector<float>& y, double freq, uint32_t rate) {
    const size_t from = y.size() / 4, n = y.size() / 2;
    double c = 0, s = 0;
    for (size_t i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * M_PI * i / n);
        const double a = 2 * M_PI * freq * double(from + i) / rate;
        c += w * y[from + i] * std::cos(a);
        s += w * y[from + i] * std::sin(a);
    }
    return 4 * std::hypot(c, s) / n;
}

double rmsDb(const std::vector<float>& y, double reference) {
    const size_t from = y.size() / 4, n = y.size() / 2;
    double e = 0;
    for (size_t i = from; i < from + n; ++i) {
        e += double(y[i]) * y[i];
    }
    return 10 * std::log10(e / n / (reference * reference / 2));
}

TEST(Resampler, OutputLengthIsInputTimesRatioRounded) {
    const std::pair<uint32_t, uint32_t> pairs[] = {{44100, 48000}, {48000, 44100}, {8000, 44100},
                                                   {44100, 8000},  {22050, 22051}, {96000, 1000},
                                                   {11025, 11025}};
    for (const auto& [from, to] : pairs) {
        for (const size_t frames : {0, 1, 2, 147, 1000, 44101}) {
            const auto out = resample(from, to, std::vector<float>(frames, 0.25f));
            const uint64_t expected = (uint64_t{frames} * to + from / 2) / from;
            EXPECT_EQ(out.size(), expected) << from << "->" << to << " frames " << frames;
        }
    }
}

TEST(Resampler, PiecewiseProcessingGivesTheOneShotOutput) {
    // No clicks or drift at call boundaries: any split of the input and any
    // output room give the same samples.
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> input(2 * 30000);
    for (auto& v : input) {
        v = noise(rng);
    }
    for (const auto& [from, to] : {std::pair{44100u, 48000u}, {48000u, 44100u}, {44100u, 47999u}}) {
        Resampler whole(from, to, 2);
        const auto expected = resample(whole, input);
        Resampler pieces(from, to, 2);
        std::vector<float> got, out;
        std::uniform_int_distribution<size_t> size(0, 3000);
        for (size_t at = 0; at < input.size();) {
            const size_t n = std::min(size(rng), (input.size() - at) / 2) * 2;
            out.resize(size(rng) * 2);
            const size_t made = pieces.process(std::span(input).subspan(at, n), out);
            got.insert(got.end(), out.begin(), out.begin() + made * 2);
            at += n;
        }
        for (size_t made = 1; made > 0;) {
            out.resize(500);
            made = pieces.finish(out);
            got.insert(got.end(), out.begin(), out.begin() + made * 2);
        }
        EXPECT_EQ(got, expected) << from << "->" << to;
    }
}

TEST(Resampler, PassbandIsFlatToPointFourFiveOfTheLowerRate) {
    for (const auto& [from, to] :
         {std::pair{44100u, 48000u}, {48000u, 44100u}, {44100u, 47999u}, {48000u, 8000u}}) {
        const uint32_t lower = std::min(from, to);
        for (const double f : {20.0, 1000.0, 0.25 * lower, 0.4 * lower, 0.45 * lower}) {
            const auto y = resample(from, to, tone(f, from, from));
            const double db = 20 * std::log10(amplitudeAt(y, f, to) / 0.5);
            EXPECT_NEAR(db, 0.0, 0.001) << from << "->" << to << " at " << f << " Hz";
        }
    }
}

TEST(Resampler, AliasesAndImagesAreAHundredDecibelsDown) {
    // Down: everything above the new Nyquist frequency must vanish.
    for (const double f : {22100.0, 23000.0, 23990.0}) {
        EXPECT_LT(rmsDb(resample(48000, 44100, tone(f, 48000, 48000)), 0.5), -100) << f;
    }
    EXPECT_LT(rmsDb(resample(44100, 8000, tone(5000, 44100, 44100)), 0.5), -100);
    EXPECT_LT(rmsDb(resample(44100, 47999, tone(22040, 44100, 44100)), 0.5), -80);
    // Up: a tone near the old Nyquist frequency brings no image above it.
    const auto up = resample(44100, 96000, tone(19000, 44100, 44100));
    double image = 0;
    for (double f = 22100; f < 48000; f += 50) {
        image = std::max(image, amplitudeAt(up, f, 96000));
    }
    EXPECT_LT(20 * std::log10(image / 0.5), -100);
}

TEST(Resampler, RoundTripThroughFortyEightKilohertzStaysAHundredDecibelsClean) {
    const uint32_t rate = 44100;
    std::vector<float> x(rate * 2);
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = double(i) / rate;
        x[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * (20 * t + (19000 - 20) / 4.0 * t * t)));
    }
    const auto back = resample(48000, rate, resample(rate, 48000, x));
    ASSERT_EQ(back.size(), x.size());
    double signal = 0, error = 0;
    for (size_t i = rate / 4; i < x.size() - rate / 4; ++i) {
        signal += double(x[i]) * x[i];
        error += (double(x[i]) - back[i]) * (double(x[i]) - back[i]);
    }
    EXPECT_LT(10 * std::log10(error / signal), -100);
}

TEST(Resampler, PortableKernelMatchesTheFastOne) {
    const auto x = tone(997, 44100, 20000, 0.9);
    Resampler fast(44100, 48000, 1, DotKernel::best());
    Resampler portable(44100, 48000, 1, DotKernel::portable());
    const auto a = resample(fast, x), b = resample(portable, x);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_NEAR(a[i], b[i], 1e-6) << i;
    }
}

TEST(Resampler, SixteenBitOutputRoundsAndClipsAtFullScale) {
    Resampler r(48000, 48001, 1);
    std::vector<int16_t> in(4000, 32767), out(4200);
    for (size_t i = 0; i < in.size(); ++i) {
        if ((i / 50) % 2 != 0) {
            in[i] = -32768;  // a full-scale square wave overshoots when band-limited
        }
    }
    size_t n = r.process(in, out);
    n += r.finish(std::span(out).subspan(n));
    EXPECT_EQ(n, 4000u);
    EXPECT_EQ(*std::max_element(out.begin(), out.begin() + n), 32767);
    EXPECT_EQ(*std::min_element(out.begin(), out.begin() + n), -32768);

    Resampler same(8000, 8000, 2);
    const std::vector<int16_t> steady(2000, 1234);
    std::vector<int16_t> got(2000);
    n = same.process(steady, got);
    same.finish(std::span(got).subspan(n * 2));
    EXPECT_EQ(got[1000], 1234);  // unit gain at DC
}

TEST(Resampler, RefusesRatesItCannotServeAndProcessAfterFinish) {
    EXPECT_THROW(Resampler(0, 44100, 2), std::invalid_argument);
    EXPECT_THROW(Resampler(44100, 44100, 0), std::invalid_argument);
    EXPECT_THROW(Resampler(1000, 1000 * 257, 1), std::invalid_argument);
    EXPECT_TRUE(Resampler::supports(1000, 256000));
    Resampler r(44100, 48000, 1);
    std::vector<float> in(100, 0.1f), out(400);
    r.process(in, out);
    r.finish(out);
    EXPECT_THROW(r.process(in, out), std::logic_error);
    r.reset();
    EXPECT_EQ(r.framesIn(), 0u);
    EXPECT_NO_THROW(r.process(in, out));
}

}  // namespace
