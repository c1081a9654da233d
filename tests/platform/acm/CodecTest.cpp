// Codec behaviour on its own: quality, block edges and hostile input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "TestWave.h"
#include "platform/acm/G711.h"
#include "platform/acm/ImaAdpcm.h"
#include "platform/acm/MsAdpcm.h"

namespace {

using namespace platform::acm;
using platform::WaveFormat;

double snrDb(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
    double s = 0, e = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        s += double(a[i]) * a[i];
        e += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    }
    return 10 * std::log10(s / e);
}

std::vector<int16_t> roundTrip(const WaveFormat& coded, const std::vector<int16_t>& pcm) {
    const auto codecs = CodecRegistry::standard();
    const auto plain = WaveFormat::pcm(coded.channels(), coded.samplesPerSec(), 16);
    const auto bytes = acmtest::convertAll(codecs, plain, coded, acmtest::toBytes(pcm), 8192);
    return acmtest::toSamples(acmtest::convertAll(codecs, coded, plain, bytes, 4096));
}

TEST(AdpcmCodecs, EncodeCloseToTheSourceAndKeepItsLength) {
    const auto pcm = acmtest::sweep(22050, 2, 0.7, 0.5);
    for (const auto& format :
         {ImaAdpcm::standardFormat(2, 22050), MsAdpcm::standardFormat(2, 22050)}) {
        const auto back = roundTrip(format, pcm);
        // Whole blocks come back: the source plus less than one block of padding.
        ASSERT_GE(back.size(), pcm.size());
        EXPECT_LT(back.size() - pcm.size(), 2u * 1024);
        EXPECT_GT(snrDb(pcm, back), 12) << format.tag();  // a broken coder is near 0
        // The padding is silence decoded, not a repeat of the signal.
        EXPECT_LT(std::abs(back.back()), 2000);
    }
}

TEST(AdpcmCodecs, TruncatedBlocksGiveOnlyTheSamplesTheyHold) {
    const auto ima = *ImaAdpcm::forFormat(ImaAdpcm::standardFormat(1, 8000));
    std::vector<int16_t> out(ima.framesPerBlock());
    const std::vector<uint8_t> header = {0x10, 0x00, 0x05, 0x00, 0x77, 0x77};
    EXPECT_EQ(ima.decode(std::span(header).first(3), out.data()), 0u);
    EXPECT_EQ(ima.decode(header, out.data()), 1u);  // header only; half a group is dropped
    EXPECT_EQ(out[0], 16);

    const auto ms = *MsAdpcm::forFormat(MsAdpcm::standardFormat(2, 8000));
    std::vector<int16_t> frames(ms.framesPerBlock() * 2);
    std::vector<uint8_t> block(14 + 3, 0x11);  // headers plus three bytes of codes
    EXPECT_EQ(ms.decode(block, frames.data()), 2u + 3u);
}

TEST(AdpcmCodecs, HostileBlocksDecodeWithoutFault) {
    // Step indexes past the table, predictor numbers past the coefficient
    // table, steps that would overflow: all decode to some samples.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> byte(0, 255);
    for (const auto& format : {ImaAdpcm::standardFormat(2, 44100), MsAdpcm::standardFormat(1, 8000),
                               MsAdpcm::standardFormat(2, 44100)}) {
        const auto codecs = CodecRegistry::standard();
        std::vector<uint8_t> junk(format.blockAlign() * 5 + 77);
        for (auto& b : junk) {
            b = static_cast<uint8_t>(byte(rng));
        }
        const auto pcm = WaveFormat::pcm(format.channels(), format.samplesPerSec(), 16);
        EXPECT_FALSE(acmtest::convertAll(codecs, format, pcm, junk, 4096).empty());
        std::vector<uint8_t> loud(format.blockAlign() * 3, 0x77);  // codes of the largest step
        EXPECT_FALSE(acmtest::convertAll(codecs, format, pcm, loud, 4096).empty());
    }
}

TEST(AdpcmCodecs, MsDecoderUsesTheCoefficientsTheFileCarries) {
    auto format = MsAdpcm::standardFormat(1, 8000);
    auto extra = std::vector<uint8_t>(format.extra().begin(), format.extra().end());
    extra[4] = 0;  // first pair becomes (0, 0): predicts silence
    extra[5] = 0;
    format.setExtra(extra);
    const auto coder = *MsAdpcm::forFormat(format);
    std::vector<uint8_t> block(format.blockAlign(), 0);
    block[1] = 16;    // delta
    block[4] = 0x10;  // sample1 = 0x1000
    block[8] = 0x00;  // code 0 everywhere
    std::vector<int16_t> out(coder.framesPerBlock());
    coder.decode(block, out.data());
    EXPECT_EQ(out[1], 0x1000);
    EXPECT_EQ(out[2], 0);  // the standard first pair would have held 0x1000
}

TEST(G711, EveryCodeSurvivesDecodeAndEncode) {
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<uint8_t>(code);
        EXPECT_EQ(linearToALaw(aLawToLinear(c)), c) << code;
        // µ-law has two zeros; the negative one encodes as the positive one.
        EXPECT_EQ(linearToMuLaw(muLawToLinear(c)), code == 0x7F ? 0xFF : c) << code;
    }
}

TEST(G711, EncodingPicksANearestLevel) {
    std::vector<int> aLevels, muLevels;
    for (int c = 0; c < 256; ++c) {
        aLevels.push_back(aLawToLinear(static_cast<uint8_t>(c)));
        muLevels.push_back(muLawToLinear(static_cast<uint8_t>(c)));
    }
    auto nearest = [](const std::vector<int>& levels, int x) {
        int best = 1 << 20;
        for (const int l : levels) {
            best = std::min(best, std::abs(l - x));
        }
        return best;
    };
    for (int x = -32768; x <= 32767; ++x) {
        const auto s = static_cast<int16_t>(x);
        ASSERT_EQ(std::abs(aLawToLinear(linearToALaw(s)) - x), nearest(aLevels, x)) << x;
        ASSERT_EQ(std::abs(muLawToLinear(linearToMuLaw(s)) - x), nearest(muLevels, x)) << x;
    }
    EXPECT_EQ(aLawToLinear(0xD5), 8);
    EXPECT_EQ(aLawToLinear(0x2A), -32256);
    EXPECT_EQ(muLawToLinear(0x80), 32124);
    EXPECT_EQ(muLawToLinear(0xFF), 0);
}

}  // namespace
