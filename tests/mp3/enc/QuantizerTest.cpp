#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "mp3/L3Bands.h"
#include "mp3/enc/GranuleQuantizer.h"
#include "mp3/enc/HuffmanCoding.h"
#include "mp3/enc/ScalefactorCoding.h"

namespace mp3::enc {
namespace {

// What a decoder makes of line i of a coded granule (long or short block).
double dequantised(const GranuleCode& c, const L3BandTable& bands, int i) {
    const L3GranuleSide& s = c.side;
    const double multiplier = s.scalefacScale ? 1.0 : 0.5;
    double exponent = 0.25 * (static_cast<int>(s.globalGain) - 210);
    if (s.shortBlocks()) {
        for (int b = 0; b < kShortBands; ++b) {
            const int start = bands.shortBounds[b];
            const int width = bands.shortBounds[b + 1] - start;
            if (i >= 3 * start && i < 3 * (start + width)) {
                const int w = (i - 3 * start) / width;
                exponent -= 2.0 * s.subblockGain[w];
                exponent -= multiplier * (b < 12 ? c.scalefacShort[b][w] : 0);
            }
        }
    } else {
        for (int b = 0; b < kLongBands; ++b) {
            if (i >= bands.longBounds[b] && i < bands.longBounds[b + 1]) {
                const int sf = b < 21 ? c.scalefacLong[b] : 0;
                exponent -= multiplier * (sf + (s.preflag ? kPretab[b] : 0));
            }
        }
    }
    const int v = c.ix[static_cast<size_t>(i)];
    return (v < 0 ? -1 : 1) * std::pow(std::abs(v), 4.0 / 3.0) * std::pow(2.0, exponent);
}

struct Spectrum {
    float xr[kGranuleLines];
    PsyResult psy;
};

Spectrum decayingSpectrum(float allowed, unsigned seed) {
    Spectrum s{};
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (int i = 0; i < kGranuleLines; ++i) {
        s.xr[i] = 0.05f * u(rng) * std::exp(-i / 150.0f);
    }
    std::fill(std::begin(s.psy.xminLong), std::end(s.psy.xminLong), allowed);
    for (auto& band : s.psy.xminShort) {
        std::fill(std::begin(band), std::end(band), allowed);
    }
    return s;
}

double snrOf(const GranuleCode& c, const L3BandTable& bands, const float* xr) {
    double e = 0, p = 0;
    for (int i = 0; i < kGranuleLines; ++i) {
        const double d = dequantised(c, bands, i) - xr[i];
        e += d * d;
        p += double{xr[i]} * xr[i];
    }
    return 10 * std::log10(p / e);
}

TEST(GranuleQuantizerTest, CodesWithinBudgetAndDecodesToTheSpectrum) {
    const L3BandTable& bands = l3BandTable(0, 0);
    GranuleQuantizer q(0, bands);
    for (const int blockType : {0, 1, 2, 3}) {
        for (const int mode : {0, 1, 2}) {
            SCOPED_TRACE(testing::Message() << "block " << blockType << " mode " << mode);
            Spectrum s = decayingSpectrum(1e-7f, 7);
            GranuleTask task;
            task.xr = s.xr;
            task.psy = &s.psy;
            task.blockType = blockType;
            LoopSettings loop;
            loop.iterationMode = mode;
            double last = 0;
            for (const int budget : {600, 1500, 3000}) {
                q.setup(task, loop);
                GranuleCode c;
                q.code(budget, c);
                EXPECT_LE(static_cast<int>(c.side.part23Length), budget);
                EXPECT_GT(static_cast<int>(c.side.part23Length), budget * 8 / 10);
                const double snr = snrOf(c, bands, s.xr);
                EXPECT_GT(snr, last);  // more bits, less noise
                last = snr;
            }
            EXPECT_GT(last, 25.0);
        }
    }
}

TEST(GranuleQuantizerTest, MaskedGranuleCodesNothing) {
    GranuleQuantizer q(1, l3BandTable(1, 0));
    Spectrum s = decayingSpectrum(1.0f, 3);  // allowed noise far above the energy
    GranuleTask task;
    task.xr = s.xr;
    task.psy = &s.psy;
    q.setup(task, LoopSettings{});
    EXPECT_EQ(q.bitsAt(0), 0);
    EXPECT_EQ(q.bitsAt(-40), 0);
}

TEST(GranuleQuantizerTest, OffsetsTradeBitsForNoise) {
    GranuleQuantizer q(0, l3BandTable(0, 1));
    Spectrum s = decayingSpectrum(1e-6f, 5);
    GranuleTask task;
    task.xr = s.xr;
    task.psy = &s.psy;
    q.setup(task, LoopSettings{2, 14, 2, false});
    const int coarse = q.bitsAt(8);
    const int base = q.bitsAt(0);
    const int fine = q.bitsAt(-8);
    EXPECT_LT(coarse, base);
    EXPECT_LT(base, fine);
    EXPECT_EQ(q.bitsAt(-400), GranuleQuantizer::kUncodable);
}

TEST(HuffmanCodingTest, ChoiceCostsWhatIsWritten) {
    const L3BandTable& bands = l3BandTable(0, 0);
    std::mt19937 rng(11);
    for (const int peak : {1, 2, 4, 7, 15, 40, 1000, 8206}) {
        for (const bool switched : {false, true}) {
            int ix[kGranuleLines] = {};
            std::uniform_int_distribution<int> big(-peak, peak), small(-1, 1);
            for (int i = 0; i < 300; ++i) {
                ix[i] = big(rng) * (i < 100 ? 1 : 0) + (i >= 100 ? small(rng) : 0);
            }
            for (const bool full : {false, true}) {
                const HuffmanChoice c = chooseHuffman(ix, bands.longBounds, switched, full);
                BitWriter out;
                writeHuffman(out, ix, c, bands.longBounds);
                EXPECT_EQ(static_cast<int>(out.bitsWritten()), c.bits) << peak;
                EXPECT_LE(c.bigValues * 2, c.count1End);
                EXPECT_LE(c.count1End, kGranuleLines);
                for (int i = c.bigValues * 2; i < c.count1End; ++i) {
                    EXPECT_LE(std::abs(ix[i]), 1);
                }
                for (int r = 0; r < 3; ++r) {
                    EXPECT_NE(c.table[r], 4);  // tables 4 and 14 do not exist
                    EXPECT_NE(c.table[r], 14);
                }
            }
            const HuffmanChoice quick = chooseHuffman(ix, bands.longBounds, false, false);
            const HuffmanChoice searched = chooseHuffman(ix, bands.longBounds, false, true);
            EXPECT_LE(searched.bits, quick.bits);
        }
    }
}

TEST(ScalefactorCodingTest, PicksTheCheapestFittingCompression) {
    GranuleCode g;
    g.side.blockType = 0;
    for (int b = 0; b < 21; ++b) {
        g.scalefacLong[b] = b < 11 ? 7 : 3;
    }
    ASSERT_TRUE(chooseScalefacCompress(g, 0, nullptr));
    EXPECT_EQ(g.slen[0], 3);
    EXPECT_EQ(g.slen[1], 2);
    EXPECT_EQ(g.part2Bits, 11 * 3 + 10 * 2);
    BitWriter out;
    writeScalefactors(out, g, 0, nullptr);
    EXPECT_EQ(static_cast<int>(out.bitsWritten()), g.part2Bits);
    const bool reused[4] = {true, true, false, false};
    ASSERT_TRUE(chooseScalefacCompress(g, 0, reused));
    EXPECT_EQ(g.part2Bits, 10 * 2);
    g.scalefacLong[12] = 8;  // beyond 3 bits in the second group
    EXPECT_FALSE(chooseScalefacCompress(g, 0, nullptr));
    // The lower sampling frequencies: preflag takes the third table.
    GranuleCode lsf;
    lsf.side.preflag = true;
    lsf.scalefacLong[0] = 7;
    ASSERT_TRUE(chooseScalefacCompress(lsf, 1, nullptr));
    EXPECT_GE(lsf.side.scalefacCompress, 500u);
    lsf.side.preflag = false;
    lsf.scalefacLong[0] = 15;
    ASSERT_TRUE(chooseScalefacCompress(lsf, 1, nullptr));
    EXPECT_LT(lsf.side.scalefacCompress, 500u);
    EXPECT_EQ(maxLongScalefactor(1, 0, true), 7);
}

}  // namespace
}  // namespace mp3::enc
