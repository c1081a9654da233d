#include "mp3/enc/FrameBits.h"

#include <gtest/gtest.h>

#include <vector>

namespace mp3::enc {
namespace {

constexpr int kMpeg1StereoOverhead = 32 + 256;

FrameBits makeFrameBits(int bitrate, int rate, BitstreamMode mode, const char* padding = nullptr) {
    OptionConfig options;
    if (padding != nullptr) {
        options.add("padding", padding);
    }
    FrameBits bits;
    EXPECT_EQ(bits.init(options, bitrate, rate, bitstreamTypeOf(rate), mode, kMpeg1StereoOverhead),
              nullptr);
    return bits;
}

TEST(FrameBitsTest, IsoPaddingGives417And418ByteFramesAtTheRequestedMean) {
    FrameBits bits = makeFrameBits(128000, 44100, BitstreamMode::Iso);
    std::vector<int> sizes;
    long long total = 0;
    for (int i = 0; i < 441; ++i) {
        const FrameSetup s = bits.advance();
        bits.commit(s.mainDataBits);
        sizes.push_back(s.frameBytes);
        total += s.frameBytes;
        EXPECT_EQ(s.frameBytes, 417 + s.padding);
        EXPECT_EQ(s.bitrateIndex, 9);
    }
    EXPECT_EQ(sizes[0], 417);  // the accumulator starts at 42300 and reaches 0
    EXPECT_EQ(sizes[1], 418);
    // 441 frames of 1152 samples at 128 kbit/s are exactly 184320 bytes.
    EXPECT_EQ(total, 441LL * 1152 * 128000 / 8 / 44100);
}

TEST(FrameBitsTest, PaddingModesNeverAndAlways) {
    FrameBits never = makeFrameBits(128000, 44100, BitstreamMode::Iso, "1");
    FrameBits always = makeFrameBits(128000, 44100, BitstreamMode::Iso, "2");
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(never.advance().frameBytes, 417);
        EXPECT_EQ(always.advance().frameBytes, 418);
    }
}

TEST(FrameBitsTest, MixedModeAlternatesTheNeighbouringBitrates) {
    FrameBits bits = makeFrameBits(18000, 22050, BitstreamMode::Mixed);
    long long bytes = 0;
    int low = 0, high = 0;
    for (int i = 0; i < 200; ++i) {
        const FrameSetup s = bits.advance();
        bits.commit(0);
        const int bitrate = tableBitrate(1, s.bitrateIndex);
        ASSERT_TRUE(bitrate == 16000 || bitrate == 24000) << bitrate;
        (bitrate == 16000 ? low : high) += 1;
        bytes += s.frameBytes;
    }
    EXPECT_GT(low, high);
    const double mean = 18000.0 * 576 / 8 / 22050;
    EXPECT_NEAR(static_cast<double>(bytes) / 200, mean, 0.2);
}

TEST(FrameBitsTest, BitrateChecksOfTheModes) {
    OptionConfig options;
    FrameBits bits;
    auto e = bits.init(options, 80000, 11025, 2, BitstreamMode::Iso, 0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->message, "non-ISO bitrate");
    EXPECT_EQ(bits.init(options, 80000, 11025, 2, BitstreamMode::Mixed, 0)->message,
              "bitrate too high");
    EXPECT_EQ(bits.init(options, 4000, 22050, 1, BitstreamMode::Mixed, 0)->message,
              "bitrate too low");
    EXPECT_EQ(bits.init(options, 128000, 44100, 3, BitstreamMode::Iso, 0)->message,
              "unknown bitstream type");
    options.add("padding", "3");
    EXPECT_EQ(bits.init(options, 128000, 44100, 0, BitstreamMode::Iso, 0)->message,
              "At parameter padding: Range Check failed");
}

TEST(FrameBitsTest, BitrateIndexSelectors) {
    EXPECT_EQ(bitrateIndex(0, 128000, BitrateSelect::Exact), 9);
    EXPECT_EQ(bitrateIndex(0, 130000, BitrateSelect::Exact), 15);
    EXPECT_EQ(bitrateIndex(0, 130000, BitrateSelect::Ceiling), 10);
    EXPECT_EQ(bitrateIndex(0, 130000, BitrateSelect::Floor), 9);
    EXPECT_EQ(bitrateIndex(0, 32000, BitrateSelect::Floor), 15);
    EXPECT_EQ(bitrateIndex(0, 128000, BitrateSelect::Next), 10);
    EXPECT_EQ(bitrateIndex(0, 130000, BitrateSelect::Next), 15);
    EXPECT_EQ(bitrateIndex(0, 9000, BitrateSelect::Free), 0);
    EXPECT_EQ(bitrateIndex(1, 3000, BitrateSelect::Free), 15);
    EXPECT_EQ(bitrateIndex(2, 80000, BitrateSelect::Ceiling), 15);  // MPEG-2.5 stops at 64000
    EXPECT_EQ(bitstreamTypeOf(32000), 0);
    EXPECT_EQ(bitstreamTypeOf(16000), 1);
    EXPECT_EQ(bitstreamTypeOf(12000), 2);
    EXPECT_EQ(bitstreamTypeOf(44000), -1);
}

TEST(FrameBitsTest, ReservoirStaysWithinItsCapAndStuffsTheRest) {
    FrameBits bits = makeFrameBits(128000, 44100, BitstreamMode::Iso);
    EXPECT_EQ(bits.reservoirCap(), 4088);  // 511 bytes, the reach of main_data_begin
    for (int i = 0; i < 50; ++i) {
        const FrameSetup s = bits.advance();
        EXPECT_LE(s.reservoirFill, bits.reservoirCap());
        EXPECT_EQ(s.reservoirFill % 8, 0);
        const int used = i % 3 == 0 ? s.mainDataBits + s.reservoirFill : 100;
        const int stuffing = bits.commit(used);
        EXPECT_GE(stuffing, 0);
        EXPECT_LE(bits.reservoirFill(), bits.reservoirCap());
    }
    // High bitrates leave no room for a reservoir; the lower rates reach 255 bytes.
    EXPECT_EQ(makeFrameBits(320000, 48000, BitstreamMode::Iso).reservoirCap(), 0);
    EXPECT_EQ(makeFrameBits(64000, 22050, BitstreamMode::Iso).reservoirCap(), 2040);
}

}  // namespace
}  // namespace mp3::enc
