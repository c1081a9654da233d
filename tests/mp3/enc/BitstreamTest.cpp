#include "mp3/enc/BitstreamEncoder.h"

#include <gtest/gtest.h>

#include "EncTestSupport.h"

namespace mp3::enc {
namespace {

std::unique_ptr<BitstreamEncoder> makeEncoder(int rate, int bitrate, StereoMode mode, bool crc) {
    OptionConfig options;
    BitstreamParams p;
    p.sampleRate = rate;
    p.bitrate = bitrate;
    p.stereoMode = mode;
    p.flags.crc = crc;
    p.bitstreamMode = BitstreamMode::Iso;
    std::unique_ptr<BitstreamEncoder> enc;
    EXPECT_EQ(BitstreamEncoder::create(options, p, enc), nullptr);
    return enc;
}

TEST(BitstreamTest, SideInformationSizes) {
    EXPECT_EQ(makeEncoder(44100, 128000, StereoMode::Joint, false)->sideInfoBits(), 256);
    EXPECT_EQ(makeEncoder(44100, 64000, StereoMode::Single, false)->sideInfoBits(), 136);
    EXPECT_EQ(makeEncoder(22050, 64000, StereoMode::Stereo, false)->sideInfoBits(), 136);
    EXPECT_EQ(makeEncoder(22050, 32000, StereoMode::Single, false)->sideInfoBits(), 72);
    // A single-channel MPEG-2 frame with CRC: 4 + 2 + 9 bytes before main data.
    EXPECT_EQ(makeEncoder(22050, 32000, StereoMode::Single, true)->overheadBits(), (4 + 2 + 9) * 8);
}

TEST(BitstreamTest, CreationFailures) {
    OptionConfig options;
    BitstreamParams p;
    std::unique_ptr<BitstreamEncoder> enc;
    p.sampleRate = 44000;
    EXPECT_EQ(BitstreamEncoder::create(options, p, enc)->message, "invalid samplerate");
}

// Silent frames: every header lands at its nominal position, the CRC
// matches the decoder's, and the flush completes the last frame.
TEST(BitstreamTest, EmptyFramesAreWholeAndProtected) {
    auto enc = makeEncoder(24000, 32000, StereoMode::Single, true);
    FrameCode frame;
    frame.granules = 1;
    frame.channels = 1;
    std::vector<uint8_t> out;
    for (int i = 0; i < 20; ++i) {
        enc->write(enc->advance(), frame, out);
    }
    enc->flush(out);
    const test::FrameWalk walk = test::walkFrames(out);
    EXPECT_EQ(walk.headers.size(), 20u);
    EXPECT_EQ(walk.trailing, 0u);
    EXPECT_EQ(walk.crcFailures, 0);
    for (size_t i = 0; i < walk.offsets.size(); ++i) {
        EXPECT_EQ(walk.offsets[i], i * 96u);  // 32000 / 8 * 576 / 24000, never padded
        // main_data_begin points back no further than the reservoir reaches.
        EXPECT_LE(out[walk.offsets[i] + 6], 255);
    }
    EXPECT_EQ(test::decodeAll(out).failures, 0);
}

}  // namespace
}  // namespace mp3::enc
