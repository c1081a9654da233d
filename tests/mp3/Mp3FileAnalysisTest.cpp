#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "Mp3TestSupport.h"
#include "mp3/Mp3FileAnalysis.h"

namespace mp3::test {
namespace {

// CBR 128 kbit/s at 44.1 kHz with the padding pattern of a real encoder.
std::vector<uint8_t> cbrStream(int frames) {
    std::vector<uint8_t> data;
    int rest = 0;
    for (int i = 0; i < frames; ++i) {
        rest += 128000 / 8 * 1152 % 44100;
        const int pad = rest >= 44100 ? 1 : 0;
        rest -= pad * 44100;
        const auto f = silentFrame(headerWord(9, pad));
        data.insert(data.end(), f.begin(), f.end());
    }
    return data;
}

TEST(FileAnalysis, ConstantBitrateDurationAndSeekOffsets) {
    const auto data = cbrStream(30);
    Mp3FileAnalysis analysis;
    ASSERT_TRUE(analysis.analyse(data.data(), data.size(), 4000000));
    const Mp3FileInfo& info = analysis.info();
    EXPECT_EQ(info.bitrate, 128000u);
    EXPECT_EQ(info.channels, 2u);
    EXPECT_EQ(info.sampleRate, 44100u);
    EXPECT_EQ(info.duration, 250000u);
    EXPECT_EQ(info.variableBitrate, 0u);
    EXPECT_EQ(info.vbrHeader, 0u);
    EXPECT_EQ(info.seekable, 1u);
    EXPECT_EQ(analysis.timeToOffset(10000), 160000u);
    EXPECT_EQ(analysis.timeToOffset(-5), 0u);
    EXPECT_EQ(analysis.timeToOffset(1e9), 4000000u) << "clamped to the duration";
    EXPECT_EQ(analysis.percentToOffset(50), 2000000u);
    EXPECT_EQ(analysis.percentToOffset(150), 4000000u);
}

TEST(FileAnalysis, StreamFormatRecordOfAnUnpaddedStream) {
    std::vector<uint8_t> data;
    for (int i = 0; i < 8; ++i) {  // 48 kHz needs no padding: 384 bytes a frame
        const auto f = silentFrame(headerWord(9, 0, 3, 1));
        data.insert(data.end(), f.begin(), f.end());
    }
    Mp3StreamFormat format;
    EXPECT_EQ(analyseMp3Stream(data.data(), data.size(), false, format), 0);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.samplesPerSec, 48000u);
    EXPECT_EQ(format.avgBytesPerSec, 16000u);
    EXPECT_EQ(format.blockSize, 384);
    EXPECT_EQ(format.framesPerBlock, 1);
    EXPECT_EQ(format.flags, kFormatNonePadded | kFormatNoCrc);
    const platform::WaveFormat w = format.toWaveFormat();
    ASSERT_EQ(w.size(), 30u);
    EXPECT_EQ(w.tag(), 85);
    EXPECT_EQ(w.blockAlign(), 1);
    EXPECT_EQ(w.extraSize(), 12);
    const uint8_t extra[12] = {1, 0, 0x22, 0, 0, 0, 0x80, 1, 1, 0, 0, 0};
    EXPECT_EQ(std::memcmp(w.extra().data(), extra, 12), 0);
}

TEST(FileAnalysis, VaryingPaddingGivesBlockSizeOneOrTheComputedOne) {
    const auto data = cbrStream(20);
    Mp3StreamFormat format;
    EXPECT_EQ(analyseMp3Stream(data.data(), data.size(), false, format), 0);
    EXPECT_EQ(format.blockSize, 1);
    EXPECT_EQ(format.flags & kFormatVariableBitrate, 0u);
    EXPECT_EQ(analyseMp3Stream(data.data(), data.size(), true, format), 0);
    EXPECT_EQ(format.blockSize, 417) << "128000 / 44100 * 144, truncated";
}

TEST(FileAnalysis, FirstFrameOffsetAndNoFrameAtAll) {
    std::vector<uint8_t> data(100, 0x11);
    const auto frames = cbrStream(4);
    data.insert(data.end(), frames.begin(), frames.end());
    Mp3StreamFormat format;
    EXPECT_EQ(analyseMp3Stream(data.data(), data.size(), false, format), 800);
    Mp3FileAnalysis analysis;
    const std::vector<uint8_t> junk(5000, 0xFF);
    EXPECT_FALSE(analysis.analyse(junk.data(), junk.size(), 5000));
    EXPECT_EQ(analysis.info().duration, 0u);
    EXPECT_EQ(analysis.info().bitrate, 0u);
}

TEST(FileAnalysis, XingHeaderGivesDurationAndTableSeeking) {
    const auto data = readBytes(fixturePath("v1_44k_vbr_xing.mp3"));
    Mp3FileAnalysis analysis;
    ASSERT_TRUE(analysis.analyse(data.data(), data.size(), data.size()));
    ASSERT_TRUE(analysis.hasXing());
    const Mp3XingHeader& x = analysis.xing();
    EXPECT_EQ(x.flags & (kXingFrames | kXingBytes | kXingToc), 7u);
    const Mp3FileInfo& info = analysis.info();
    EXPECT_EQ(info.variableBitrate, 1u);
    EXPECT_EQ(info.vbrHeader, 1u);
    EXPECT_EQ(info.seekable, 1u);
    EXPECT_EQ(info.duration, static_cast<uint32_t>(x.frames * 1152 * 1000.0 / 44100));
    EXPECT_EQ(analysis.dataSize(), x.bytes);
    uint64_t previous = 0;
    for (int p = 0; p <= 100; p += 5) {
        const uint64_t offset = analysis.percentToOffset(p);
        EXPECT_GE(offset, previous);
        EXPECT_LE(offset, x.bytes);
        previous = offset;
    }
    EXPECT_EQ(analysis.percentToOffset(37.5),
              static_cast<uint64_t>((x.toc[37] + (x.toc[38] - x.toc[37]) * 0.5) * x.bytes / 256));
    EXPECT_EQ(analysis.timeToOffset(info.duration / 2.0), analysis.percentToOffset(50));
}

TEST(FileAnalysis, AbsurdXingCountsSaturate) {
    auto data = readBytes(fixturePath("v1_44k_vbr_xing.mp3"));
    const auto at = std::search(data.begin(), data.end(), std::begin("Xing"), std::end("Xing") - 1);
    ASSERT_NE(at, data.end());
    const uint8_t counts[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1};  // frames, bytes
    std::copy(std::begin(counts), std::end(counts), at + 8);
    Mp3FileAnalysis analysis;
    ASSERT_TRUE(analysis.analyse(data.data(), data.size(), data.size()));
    EXPECT_EQ(analysis.info().duration, 0xFFFFFFFFu);
    EXPECT_EQ(analysis.info().bitrate, 0u);
    const uint8_t oneFrameOf4GiB[8] = {0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF};
    std::copy(std::begin(oneFrameOf4GiB), std::end(oneFrameOf4GiB), at + 8);
    ASSERT_TRUE(analysis.analyse(data.data(), data.size(), data.size()));
    EXPECT_EQ(analysis.format().bitrate, 0xFFFFFFFFu);
    EXPECT_EQ(analysis.info().bitrate, 0xFFFFFFFFu);
}

TEST(FileAnalysis, VbriHeaderGivesDurationAndInterpolatedOffsets) {
    const auto data = readBytes(fixturePath("v1_44k_vbri.mp3"));
    Mp3FileAnalysis analysis;
    ASSERT_TRUE(analysis.analyse(data.data(), data.size(), 1));
    ASSERT_TRUE(analysis.hasVbri());
    const Mp3VbriHeader& v = analysis.vbri();
    EXPECT_EQ(v.version, 1u);
    EXPECT_EQ(v.framesPerEntry, 4u);
    EXPECT_EQ(v.toc.size(), v.entries + 1);
    EXPECT_EQ(analysis.dataSize(), v.bytes) << "the header's byte count replaces the caller's";
    const Mp3FileInfo& info = analysis.info();
    EXPECT_EQ(info.variableBitrate + info.vbrHeader + info.seekable, 3u);
    const double frameMs = 1152 * 1000.0 / 44100;
    EXPECT_EQ(info.duration, static_cast<uint32_t>(v.frames * frameMs));
    EXPECT_EQ(analysis.timeToOffset(8 * frameMs), v.toc[2]);
    EXPECT_EQ(analysis.timeToOffset(10 * frameMs), (v.toc[2] + v.toc[3]) / 2);
}

TEST(FileAnalysis, VbriOfAnotherVersionIsIgnored) {
    auto data = readBytes(fixturePath("v1_44k_vbri.mp3"));
    data[41] = 2;  // version 2
    Mp3FileAnalysis analysis;
    ASSERT_TRUE(analysis.analyse(data.data(), data.size(), data.size()));
    EXPECT_FALSE(analysis.hasVbri());
}

TEST(FileAnalysis, NoXingIsLookedForBelow16kHz) {
    // An MPEG-2.5 11025 Hz stereo frame with "Xing" where MPEG-2 keeps it.
    std::vector<uint8_t> data;
    for (int i = 0; i < 4; ++i) {
        auto f = silentFrame(0xFFE38000);  // MPEG-2.5, 64 kbit/s, 11025 Hz
        if (i == 0) {
            std::memcpy(f.data() + 21, "Xing\0\0\0\x03\0\0\0\x10\0\0\x10\0", 16);
        }
        data.insert(data.end(), f.begin(), f.end());
    }
    Mp3FileAnalysis analysis;
    ASSERT_TRUE(analysis.analyse(data.data(), data.size(), data.size()));
    EXPECT_FALSE(analysis.hasXing());
    EXPECT_EQ(analysis.info().vbrHeader, 0u);
    // Its counts are ignored, but the frame is still metadata, not audio.
    EXPECT_TRUE(isVbrHeaderFrame(data.data(), data.size()));
}

TEST(FileAnalysis, RecognisesHeaderFramesThatAreNotAudio) {
    for (const char* name : {"v1_44k_vbr_xing.mp3", "v1_44k_vbri.mp3", "v1_44k_joint_128.mp3"}) {
        const auto data = readBytes(fixturePath(name));
        EXPECT_TRUE(isVbrHeaderFrame(data.data(), data.size())) << name;  // Xing, VBRI, Info
    }
    const auto frame = silentFrame(headerWord(9));
    EXPECT_FALSE(isVbrHeaderFrame(frame.data(), frame.size()));
}

}  // namespace
}  // namespace mp3::test
