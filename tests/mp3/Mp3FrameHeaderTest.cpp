#include <gtest/gtest.h>

#include "mp3/Mp3FrameHeader.h"
#include "mp3/Mp3Ssc.h"

namespace mp3 {
namespace {

TEST(Mp3FrameHeader, DecodesAnMpeg1Layer3Header) {
    Mp3FrameHeader h;
    // 128 kbit/s, 44.1 kHz, no CRC, joint stereo with mid/side, original.
    ASSERT_TRUE(decodeMp3Header(0xFFFB9064, h));
    EXPECT_EQ(h.version, kMp3Version1);
    EXPECT_EQ(h.layer, 3u);
    EXPECT_EQ(h.crcPresent, 0u);
    EXPECT_EQ(h.bitrate, 128000u);
    EXPECT_EQ(h.sampleRate, 44100u);
    EXPECT_EQ(h.mode, 1u);
    EXPECT_EQ(h.modeExtension, 2u);
    EXPECT_EQ(h.original, 1u);
    EXPECT_EQ(h.channels, 2u);
    EXPECT_EQ(h.frameBytes(), 417u);
    EXPECT_EQ(h.samplesPerFrame(), 1152u);
    EXPECT_NEAR(h.frameDurationMs, 26.122f, 0.001f);
}

TEST(Mp3FrameHeader, DerivesLowerSamplingFrequencyValues) {
    Mp3FrameHeader h;
    ASSERT_TRUE(decodeMp3Header(0xFFF296C0, h));  // MPEG-2, CRC, 80 kbit/s, 24 kHz, padded, mono
    EXPECT_EQ(h.version, kMp3Version2);
    EXPECT_EQ(h.sampleRate, 24000u);
    EXPECT_EQ(h.bitrate, 80000u);
    EXPECT_EQ(h.channels, 1u);
    EXPECT_EQ(h.crcPresent, 1u);
    EXPECT_EQ(h.frameBytes(), 80000u / 8 * 576 / 24000 + 1);
    ASSERT_TRUE(decodeMp3Header(0xFFE31800, h));  // MPEG-2.5, 8 kHz
    EXPECT_EQ(h.version, kMp3Version25);
    EXPECT_EQ(h.sampleRate, 8000u);
    EXPECT_EQ(h.samplesPerFrame(), 576u);
}

TEST(Mp3FrameHeader, RejectsEverythingButValidLayer3AndLeavesFieldsZero) {
    const uint32_t invalid[] = {
        0xFFFD9064,  // Layer II
        0xFFFF9064,  // Layer I
        0xFFF90064,  // layer code 00 (reserved)
        0xFFFBF064,  // bitrate index 15
        0xFFFB9C64,  // sampling index 3
        0xFFEB9064,  // reserved version (extension 0, ID 1)
        0x7FFB9064,  // broken syncword
    };
    for (uint32_t word : invalid) {
        Mp3FrameHeader h;
        h.bitrate = 1;
        EXPECT_FALSE(decodeMp3Header(word, h)) << std::hex << word;
        EXPECT_FALSE(h.valid);
        EXPECT_EQ(h.bitrate, 0u);
        EXPECT_EQ(h.layer, 0u);
    }
}

// A free-format header is valid; its length comes from the stream.
TEST(Mp3FrameHeader, FreeFormatTakesItsLengthFromTheStream) {
    Mp3FrameHeader h;
    ASSERT_TRUE(decodeMp3Header(0xFFFB0264, h));  // padded
    EXPECT_TRUE(h.freeFormat());
    EXPECT_EQ(h.frameBytes(), 0u);
    EXPECT_EQ(h.bitrate, 0u);
    setFreeFormatLength(h, 653);  // what 200 kbit/s at 44.1 kHz gives
    EXPECT_EQ(h.frameBytes(), 654u);
    EXPECT_EQ(h.bitrate, 653u * 8 * 44100 / 1152);
    EXPECT_TRUE(isMpegAudioHeader(0xFFFD9064)) << "Layer II";
    EXPECT_FALSE(isMpegAudioHeader(0xFFF90064)) << "no layer";
}

TEST(Mp3Ssc, TextsAndClasses) {
    EXPECT_STREQ(mp3SscText(ssc::kOk), "(Mp3Ssc) success: no error");
    EXPECT_STREQ(mp3SscText(ssc::kIoRead), "(Mp3Ssc) error: I/O - read error");
    EXPECT_STREQ(mp3SscText(ssc::kBufferTooSmall), "(Mp3Ssc) error: Decoder - buffer is too small");
    EXPECT_STREQ(mp3SscText(ssc::kSyncEof), "(Mp3Ssc) warning: Decoder - sync eof");
    EXPECT_STREQ(mp3SscText(0x12345678), "(Mp3Ssc) unknown SSC");
    EXPECT_FALSE(mp3SscFailed(ssc::kCrcError));
    EXPECT_FALSE(mp3SscFailed(ssc::kMissingMainData));
    EXPECT_TRUE(mp3SscFailed(ssc::kIoRead));
    EXPECT_TRUE(mp3SscFailed(ssc::kSyncNeedData));
    EXPECT_TRUE(mp3SscIsError(ssc::kWrongLayer));
    EXPECT_FALSE(mp3SscIsError(ssc::kSyncLost));
}

}  // namespace
}  // namespace mp3
