#include "platform/PcmVolume.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;

namespace {
std::vector<uint8_t> scaled(const WaveFormat& f, std::vector<uint8_t> bytes, uint32_t volume) {
    applyVolume(f, bytes, volume);
    return bytes;
}
}  // namespace

TEST(PcmVolume, ScalesEveryIntegerWidthAroundItsZero) {
    const uint32_t half = 0x80008000;
    // 8-bit is unsigned around 128.
    EXPECT_EQ(scaled(WaveFormat::pcm(1, 8000, 8), {0x00, 0x80, 0xFF}, half),
              (std::vector<uint8_t>{0x40, 0x80, 0xBF}));
    // Each sample × 0x8000 / 0xFFFF, truncated toward zero:
    // 24-bit 0x7FFFFF -> 0x40003F, -0x800000 -> -0x400040.
    EXPECT_EQ(scaled(WaveFormat::pcm(1, 8000, 24), {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80}, half),
              (std::vector<uint8_t>{0x3F, 0x00, 0x40, 0xC0, 0xFF, 0xBF}));
    // 32-bit extremes do not overflow: -0x80000000 -> -0x40004000.
    EXPECT_EQ(scaled(WaveFormat::pcm(1, 8000, 32), {0x00, 0x00, 0x00, 0x80}, half),
              (std::vector<uint8_t>{0x00, 0xC0, 0xFF, 0xBF}));
    EXPECT_EQ(scaled(WaveFormat::pcm(1, 8000, 16), {0x34, 0x12}, 0), (std::vector<uint8_t>{0, 0}));
}

TEST(PcmVolume, FullVolumeAndUnplayableFormatsLeaveTheBytesAlone) {
    const std::vector<uint8_t> bytes = {1, 2, 3, 4};
    EXPECT_EQ(scaled(WaveFormat::pcm(2, 8000, 16), bytes, kFullVolume), bytes);
    EXPECT_EQ(scaled(WaveFormat::pcm(1, 8000, 16), bytes, 0x0000FFFF), bytes);  // mono: left only
    auto adpcm = WaveFormat::pcm(1, 8000, 4);
    adpcm.setTag(0x11);
    EXPECT_EQ(scaled(adpcm, bytes, 0), bytes);
}

TEST(PcmVolume, ExtraChannelsTakeTheMeanLevel) {
    const auto f = WaveFormat::pcm(3, 8000, 16);
    // left 0xFFFF, right 0: the third channel gets 0x7FFF.
    EXPECT_EQ(scaled(f, {0x00, 0x40, 0x00, 0x40, 0x00, 0x40}, 0x0000FFFF),
              (std::vector<uint8_t>{0x00, 0x40, 0x00, 0x00, 0xFF, 0x1F}));
}

TEST(PcmVolume, ScalesDoubles) {
    auto f = WaveFormat::pcm(1, 8000, 64);
    f.setTag(kWaveFormatIeeeFloat);
    ASSERT_TRUE(isPlayableFormat(f));
    const double v = -0.75;
    std::vector<uint8_t> bytes(8);
    std::memcpy(bytes.data(), &v, 8);
    applyVolume(f, bytes, 0x00000000);
    double out = 1;
    std::memcpy(&out, bytes.data(), 8);
    EXPECT_EQ(out, 0.0);
}
