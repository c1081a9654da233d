#include <gtest/gtest.h>

#include <bit>

#include "Mp3TestSupport.h"
#include "mp3/Mp3FileAnalysis.h"
#include "mp3/Mp3FrameSearch.h"
#include "mp3/Mp3InputBuffer.h"

namespace mp3 {
namespace {

using test::decodeAll;
using test::DecodeRun;
using test::fixturePath;
using test::headerWord;
using test::readBytes;
using test::silentFrame;

// The same stream with bitrate index 0 in every header: a free-format
// stream whose frames are as long as the originals.
std::vector<uint8_t> asFreeFormat(std::vector<uint8_t> data) {
    Mp3InputBuffer input(std::bit_ceil(data.size()));
    input.feed(data.data(), data.size());
    input.markFinished();
    std::vector<size_t> starts;
    size_t consumed = 0;
    while (input.sync() == ssc::kOk) {
        starts.push_back(consumed + input.skippedBytes());
        consumed += input.header().frameBytes();
        input.consumeFrame();
    }
    for (const size_t at : starts) {
        data[at + 2] &= 0x0F;
    }
    return data;
}

// Decoded, analysed and found like the stream it was made from, whether
// the input comes in large pieces or a few bytes at a time.
TEST(FreeFormat, StreamDecodesAndAnalysesLikeItsFixedRateTwin) {
    const auto fixed = readBytes(fixturePath("v1_44k_joint_128.mp3"));
    const auto free = asFreeFormat(fixed);
    ASSERT_NE(free, fixed);
    const DecodeRun expected = decodeAll(fixed, false);
    ASSERT_GT(expected.frames, 20);
    for (const size_t chunk : {size_t{1000}, size_t{7}}) {
        const DecodeRun run = decodeAll(free, false, 0, 0, 0, chunk);
        EXPECT_EQ(run.frames, expected.frames) << chunk;
        EXPECT_EQ(run.pcm16, expected.pcm16) << chunk;
        EXPECT_NEAR(run.lastInfo.bitrate, 128000.0, 400.0);
    }

    Mp3FileAnalysis ours, twin;
    ASSERT_TRUE(ours.analyse(free.data(), free.size(), free.size()));
    ASSERT_TRUE(twin.analyse(fixed.data(), fixed.size(), fixed.size()));
    EXPECT_NEAR(ours.info().duration, twin.info().duration, twin.info().duration / 200.0);
    EXPECT_EQ(ours.info().variableBitrate, 0u);
    EXPECT_EQ(ours.info().seekable, 1u);
    EXPECT_NEAR(double(ours.timeToOffset(1000)), double(twin.timeToOffset(1000)), 20.0);

    size_t at = 99;
    Mp3FrameHeader header;
    ASSERT_TRUE(findFirstMp3Frame(free.data(), free.size(), at, header));
    EXPECT_EQ(at, 0u);
    EXPECT_TRUE(header.freeFormat());
    EXPECT_EQ(mp3StreamFailure(free.data(), free.size()), ssc::kOk);
}

// Frames longer than any fixed-rate one (here 612 kbit/s) are taken; a
// stray free-format header with no partner is not a frame.
TEST(FreeFormat, FramesPastTheFixedRateLimitAndLoneHeaders) {
    std::vector<uint8_t> stream;
    for (int i = 0; i < 6; ++i) {
        const auto frame = silentFrame(headerWord(0, i % 2), 2000);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    const DecodeRun run = decodeAll(stream, false);
    EXPECT_EQ(run.frames, 6);
    EXPECT_EQ(run.lastInfo.frameLengthBits, 2001u * 8);
    EXPECT_EQ(run.lastInfo.bitrate, 2000u * 8 * 44100 / 1152);

    std::vector<uint8_t> lone(3000, 0);
    const auto header = silentFrame(headerWord(0), 10);
    std::copy(header.begin(), header.end(), lone.begin() + 100);
    EXPECT_EQ(decodeAll(lone, false).frames, 0);
}

TEST(FreeFormat, FailureNamesAnotherLayerOrNoStream) {
    const auto layer2 = readBytes(fixturePath("layer2.mp2"));
    EXPECT_EQ(mp3StreamFailure(layer2.data(), layer2.size()), ssc::kWrongLayer);
    const std::vector<uint8_t> zeros(5000, 0);
    EXPECT_EQ(mp3StreamFailure(zeros.data(), zeros.size()), ssc::kSyncEof);
    size_t at = 0;
    Mp3FrameHeader header;
    EXPECT_FALSE(findFirstMp3Frame(layer2.data(), layer2.size(), at, header));
}

}  // namespace
}  // namespace mp3
