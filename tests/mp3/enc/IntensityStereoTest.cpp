#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "EncTestSupport.h"
#include "mp3/L3Bands.h"
#include "mp3/enc/GranuleQuantizer.h"
#include "mp3/enc/IntensityStereo.h"
#include "mp3/enc/ScalefactorCoding.h"

namespace mp3::enc {
namespace {

// Noise in both channels from `correlation` 1 (one source, panned) to 0
// (independent), the right channel at `rightLevel` of the left.
struct Pair {
    float left[kGranuleLines];
    float right[kGranuleLines];
    PsyResult psyLeft, psyRight;
};

Pair noisePair(float correlation, float rightLevel, float allowed) {
    Pair p{};
    std::mt19937 rng(11);
    std::normal_distribution<float> n(0.0f, 0.01f);
    for (int i = 0; i < kGranuleLines; ++i) {
        const float shared = n(rng);
        p.left[i] = shared;
        p.right[i] = rightLevel * (correlation * shared + (1.0f - correlation) * n(rng));
    }
    for (PsyResult* r : {&p.psyLeft, &p.psyRight}) {
        std::fill(std::begin(r->xminLong), std::end(r->xminLong), allowed);
    }
    return p;
}

TEST(IntensityStereoTest, PannedSourceIsCodedFromTheFloorAndIndependentNoiseIsNot) {
    const L3BandTable& bands = l3BandTable(0, 2);  // 32 kHz
    const IntensityStereo is(kTypeMpeg1, bands, 32000, 3000.0f);
    const float rightLevel = 1.0f / std::sqrt(3.0f);  // tan(60 degrees): position 4
    Pair panned = noisePair(1.0f, rightLevel, 1e-6f);
    const StereoGranule in{panned.left, panned.right, &panned.psyLeft, &panned.psyRight, false};
    IntensityPlan plan = is.plan(in, 1.0f);
    ASSERT_TRUE(plan.active(false));
    int floorBand = 0;
    while (bands.longBounds[floorBand] * 32000.0 / 1152 < 3000.0) {
        ++floorBand;
    }
    EXPECT_EQ(plan.start, floorBand);
    for (int b = plan.start; b < kLongBands; ++b) {
        EXPECT_EQ(plan.position[b], 4) << b;
    }
    // Coded, the left channel carries the source so that the decoder's
    // shares give each channel back.
    float left[kGranuleLines], right[kGranuleLines];
    std::copy_n(panned.left, kGranuleLines, left);
    std::copy_n(panned.right, kGranuleLines, right);
    PsyResult psy = panned.psyLeft;
    is.apply(plan, in, left, right, psy);
    const IntensityShares k = intensityShares(kTypeMpeg1, 4, 0);
    for (int i = bands.longBounds[plan.start]; i < kGranuleLines; ++i) {
        ASSERT_EQ(right[i], 0.0f);
        ASSERT_NEAR(k.left * left[i], panned.left[i], 1e-4f);
        ASSERT_NEAR(k.right * left[i], panned.right[i], 1e-4f);
    }
    EXPECT_EQ(plan.anchorBand, plan.start - 1);
    // Noise that the left share carries into the right channel counts.
    EXPECT_LT(psy.xminLong[kLongBands - 1], 1e-6f / (k.left * k.left) * 1.001f);

    // Independent channels would be smeared into one direction: left alone
    // even where the bitrate leaves noise far above the error.
    Pair independent = noisePair(0.0f, 1.0f, 1e-6f);
    const StereoGranule apart{independent.left, independent.right, &independent.psyLeft,
                              &independent.psyRight, false};
    EXPECT_FALSE(is.plan(apart, 1.0f).active(false));
    EXPECT_FALSE(is.plan(apart, 1e4f).active(false));
}

// The right channel of an intensity frame: scale factors above the start
// are the plan's positions, and the anchor band keeps a line even when the
// right channel is silent there.
TEST(IntensityStereoTest, QuantizerWritesPositionsAndKeepsTheAnchor) {
    for (const int type : {kTypeMpeg1, kTypeMpeg2}) {
        SCOPED_TRACE(type);
        const L3BandTable& bands = l3BandTable(static_cast<uint32_t>(type), 0);
        GranuleQuantizer q(type, bands);
        Pair p = noisePair(1.0f, 1.0f, 1e-7f);
        std::fill(p.right + bands.longBounds[10], p.right + kGranuleLines, 0.0f);
        IntensityPlan plan;
        plan.start = 14;
        plan.anchorBand = 13;
        plan.scale = 1;
        for (int b = 14; b < kLongBands; ++b) {
            plan.position[b] = b % kIntensityPositions;
        }
        GranuleTask task;
        task.xr = p.right;
        task.psy = &p.psyRight;
        task.intensity = &plan;
        q.setup(task, LoopSettings{});
        GranuleCode c;
        q.code(3000, c);
        for (int b = 14; b < 21; ++b) {
            EXPECT_EQ(c.scalefacLong[b], b % kIntensityPositions) << b;
        }
        EXPECT_FALSE(c.side.preflag);
        int last = -1;
        for (int i = 0; i < kGranuleLines; ++i) {
            last = c.ix[static_cast<size_t>(i)] != 0 ? i : last;
        }
        EXPECT_GE(last, bands.longBounds[13]);
        EXPECT_LT(last, bands.longBounds[14]);
        EXPECT_EQ(c.intensityScale, 1);
    }
}

// The lower sampling frequencies: the right channel's scale factors go
// through the intensity layouts, a decoder reads them back with the scale,
// and no position is its group's largest value ("not intensity coded").
TEST(IntensityStereoTest, LowerRatePositionsRoundTripBelowTheGroupsLargestValue) {
    for (const int scale : {0, 1}) {
        GranuleCode g;
        g.intensityScale = scale;
        g.intensityStart = 12;
        for (int b = 0; b < 21; ++b) {
            g.scalefacLong[b] = b < 12 ? (b * 5) % 16 : (b == 15 ? 3 : 1);
        }
        ASSERT_TRUE(chooseScalefacCompress(g, kTypeMpeg2, nullptr));
        BitWriter w(64);
        writeScalefactors(w, g, kTypeMpeg2, nullptr);
        EXPECT_EQ(static_cast<int>(w.bitsWritten()), g.part2Bits);
        w.putZeros(32);
        L3BitReader reader(w.front(), w.available());
        L3Scalefactors decoded;
        l3ReadScalefactorsLsf(reader, g.side, true, decoded);
        EXPECT_EQ(decoded.intensityScale, scale != 0);
        EXPECT_FALSE(g.side.preflag);
        for (int b = 0; b < 21; ++b) {
            EXPECT_EQ(decoded.longBand[b], g.scalefacLong[b]) << b;
        }
        // Group sizes of the three intensity layouts (long blocks).
        const uint32_t half = g.side.scalefacCompress >> 1;
        const int sizes[3][4] = {{7, 7, 7, 0}, {6, 6, 6, 3}, {8, 8, 5, 0}};
        const int* size = sizes[half < 180 ? 0 : half < 244 ? 1 : 2];
        for (int group = 0, band = 0; group < 4; ++group) {
            for (int k = 0; k < size[group]; ++k, ++band) {
                if (band >= g.intensityStart) {
                    EXPECT_LT(g.scalefacLong[band], (1 << g.slen[group]) - 1) << band;
                }
            }
        }
    }
}

struct IntensityStream {
    std::vector<uint8_t> mp3;
    int intensityFrames = 0;
    int frames = 0;
};

// High frequencies from one source panned right-of-centre, low ones apart.
std::vector<int16_t> pannedSignal(int rate, double seconds, double rightLevel) {
    const size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> pcm(frames * 2);
    std::mt19937 rng(5);
    std::normal_distribution<double> n(0.0, 2500.0);
    double previous = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double v = n(rng);
        const double high = v - previous;  // first difference: mostly high frequencies
        previous = v;
        const double t = static_cast<double>(i) / rate;
        pcm[2 * i] = static_cast<int16_t>(high + 3000 * std::sin(2 * M_PI * 330 * t));
        pcm[2 * i + 1] =
            static_cast<int16_t>(rightLevel * high + 3000 * std::sin(2 * M_PI * 220 * t));
    }
    return pcm;
}

IntensityStream encodeStream(int inRate, int rate, int bitrate, bool allowIntensity,
                             const std::vector<int16_t>& pcm) {
    auto h = Mp3EncoderHandle::create(inRate, 2, 2);
    EXPECT_TRUE(h->setOutputFormat(rate, 2, bitrate));
    Mp3EncoderConfig c = h->config();
    c.allowIntensity = allowIntensity ? 1 : 0;
    EXPECT_TRUE(h->setConfig(c));
    EXPECT_EQ(h->engine(), Mp3Engine::Iso);
    IntensityStream s;
    s.mp3 = test::encodeAll(*h, pcm);
    for (const Mp3FrameHeader& hd : test::walkFrames(s.mp3).headers) {
        ++s.frames;
        s.intensityFrames += hd.mode == 1 && (hd.modeExtension & 1) != 0;
    }
    return s;
}

// Through the handle: streams of each version code the panned part by
// intensity, decode cleanly, and give each channel its level back.
TEST(IntensityStereoTest, StreamsDecodeWithEachChannelsLevel) {
    const double rightLevel = 0.5;
    // Each with the ISO encoder: rich enough per channel, or a rate the fast
    // engine does not convert.
    for (const auto& [inRate, rate, bitrate] :
         {std::tuple{32000, 32000, 96000}, std::tuple{24000, 24000, 80000},
          std::tuple{44100, 24000, 48000}, std::tuple{16000, 12000, 24000}}) {
        SCOPED_TRACE(testing::Message() << rate << " " << bitrate);
        const std::vector<int16_t> pcm = pannedSignal(inRate, 1.5, rightLevel);
        const IntensityStream off = encodeStream(inRate, rate, bitrate, false, pcm);
        EXPECT_EQ(off.intensityFrames, 0);
        const IntensityStream on = encodeStream(inRate, rate, bitrate, true, pcm);
        EXPECT_GT(on.intensityFrames, on.frames / 2);
        const test::DecodeReport r = test::decodeAll(on.mp3);
        EXPECT_EQ(r.failures, 0);
        ASSERT_EQ(r.channels, 2);
        // The channels' difference signal (the panned high part, since the
        // low tones differ only slowly) keeps its level ratio.
        double el = 0, er = 0;
        for (size_t i = 2 * rate / 4 * 2; i + 3 < r.pcm.size(); i += 2) {
            const double dl = r.pcm[i + 2] - r.pcm[i];
            const double dr = r.pcm[i + 3] - r.pcm[i + 1];
            el += dl * dl;
            er += dr * dr;
        }
        EXPECT_NEAR(10 * std::log10(er / el), 20 * std::log10(rightLevel), 2.0);
    }
}

}  // namespace
}  // namespace mp3::enc
