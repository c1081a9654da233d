#include "platform/WaveFormat.h"

#include <gtest/gtest.h>

using platform::WaveFormat;

// PCM records follow the block-align rule and compare on sixteen bytes, others
// on the whole record; stored records parse, short ones are rejected.
TEST(WaveFormat, BlockAlignComparisonAndStoredRecords) {
    const auto f = WaveFormat::pcm(2, 44100, 16);
    EXPECT_EQ(f.tag(), 1);
    EXPECT_EQ(f.blockAlign(), 4);
    EXPECT_EQ(f.avgBytesPerSec(), 176400u);
    EXPECT_EQ(f.size(), 18u);
    EXPECT_EQ(WaveFormat::pcm(1, 8000, 24).blockAlign(), 3);
    auto a = WaveFormat::pcm(2, 44100, 16);
    auto b = a;
    const uint8_t two[] = {1, 2};
    b.setExtra(two);  // PCM ignores the extra-size field
    EXPECT_EQ(a, b);
    a.setTag(0x11);
    b.setTag(0x11);
    EXPECT_NE(a, b);
    a.setExtra(two);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), 20u);
    auto adpcm = WaveFormat::pcm(1, 22050, 4);
    adpcm.setTag(0x11);
    const uint8_t extra[] = {0xF9, 0x01};
    adpcm.setExtra(extra);
    const auto bytes = adpcm.bytes();
    ASSERT_EQ(WaveFormat::fromBytes(bytes), adpcm);
    EXPECT_FALSE(WaveFormat::fromBytes(bytes.first(19)));
    // A 16-byte PCMWAVEFORMAT is a complete PCM record.
    const auto pcm = WaveFormat::pcm(2, 48000, 16);
    EXPECT_EQ(WaveFormat::fromBytes(pcm.bytes().first(16)), pcm);
    EXPECT_FALSE(WaveFormat::fromBytes(pcm.bytes().first(15)));
}
