#include <gtest/gtest.h>

#include "Mp3TestSupport.h"
#include "mp3/Mp3InputBuffer.h"

namespace mp3 {
namespace {

using test::headerWord;
using test::silentFrame;

std::vector<uint8_t> join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

// Syncs and consumes frames until a warning; returns the codes seen.
std::vector<Mp3Ssc> syncAll(Mp3InputBuffer& in) {
    std::vector<Mp3Ssc> codes;
    for (int guard = 0; guard < 1000; ++guard) {
        const Mp3Ssc code = in.sync();
        codes.push_back(code);
        if (code != ssc::kOk) {
            if (code == ssc::kSyncEof || code == ssc::kSyncSearched || code == ssc::kSyncNeedData) {
                break;
            }
            continue;  // sync lost: search again
        }
        in.consumeFrame();
    }
    return codes;
}

int count(const std::vector<Mp3Ssc>& codes, Mp3Ssc code) {
    return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

TEST(FrameSync, FramesDifferingInBitrateAndPaddingKeepSync) {
    const auto data = join({silentFrame(headerWord(9)), silentFrame(headerWord(11, 1)),
                            silentFrame(headerWord(5)), silentFrame(headerWord(9, 1))});
    Mp3InputBuffer in(8192);
    in.feed(data.data(), data.size());
    in.markFinished();
    const auto codes = syncAll(in);
    EXPECT_EQ(count(codes, ssc::kOk), 4);
    EXPECT_EQ(count(codes, ssc::kSyncLost), 0);
    EXPECT_EQ(codes.back(), ssc::kSyncEof);
    EXPECT_EQ(in.skippedBytes(), 0u);
}

TEST(FrameSync, ASampleRateChangeFailsTheCandidateAndTheSearchMovesOn) {
    // 44.1 kHz then 48 kHz: the first frame's follower disagrees, so the
    // search drops bytes until the 48 kHz frames confirm each other.
    const auto first = silentFrame(headerWord(9));
    const auto data =
        join({first, silentFrame(headerWord(9, 0, 0, 1)), silentFrame(headerWord(9, 0, 0, 1))});
    Mp3InputBuffer in(8192);
    in.feed(data.data(), data.size());
    in.markFinished();
    ASSERT_EQ(in.sync(), ssc::kOk);
    EXPECT_EQ(in.header().sampleRate, 48000u);
    EXPECT_EQ(in.skippedBytes(), first.size());
}

TEST(FrameSync, JunkBeforeAndInsideIsSkippedAndSyncIsFoundAgain) {
    std::vector<uint8_t> junk(300);
    for (size_t i = 0; i < junk.size(); ++i) {
        junk[i] = static_cast<uint8_t>(i * 37 + 0xE0);  // plenty of 0xFF-ish bytes
    }
    const auto f = silentFrame(headerWord(9));
    const auto data = join({junk, f, f, f, junk, f, f, f});
    Mp3InputBuffer in(8192);
    in.feed(data.data(), data.size());
    in.markFinished();
    const auto codes = syncAll(in);
    // The frame before the junk fails its follower check and is lost too.
    EXPECT_EQ(count(codes, ssc::kOk), 5);
    EXPECT_EQ(count(codes, ssc::kSyncLost), 1);
    EXPECT_EQ(in.skippedBytes(), 2 * junk.size() + f.size());
}

TEST(FrameSync, Layer2DataNeverSyncs) {
    std::vector<uint8_t> data;
    for (int i = 0; i < 20; ++i) {
        auto frame = silentFrame(headerWord(9));
        frame[1] = 0xFD;  // Layer II
        data.insert(data.end(), frame.begin(), frame.end());
    }
    Mp3InputBuffer in(8192);
    in.feed(data.data(), data.size());
    in.markFinished();
    const auto codes = syncAll(in);
    EXPECT_EQ(count(codes, ssc::kOk), 0);
    EXPECT_EQ(codes.back(), ssc::kSyncEof);
}

TEST(FrameSync, WaitsForTheWholeFrameAndTheNextHeader) {
    const auto f = silentFrame(headerWord(9));
    const auto data = join({f, f});
    Mp3InputBuffer in(8192);
    in.feed(data.data(), f.size());  // one frame, no follower yet
    EXPECT_EQ(in.sync(), ssc::kSyncSearched);
    in.feed(data.data() + f.size(), 4);
    ASSERT_EQ(in.sync(), ssc::kOk);
    EXPECT_EQ(in.sync(), ssc::kOk) << "the same frame until it is consumed";
    in.consumeFrame();
    EXPECT_EQ(in.sync(), ssc::kSyncNeedData);
    in.markFinished();
    EXPECT_EQ(in.sync(), ssc::kSyncEof);
    EXPECT_EQ(in.sync(), ssc::kSyncEof) << "final until reset";
    in.reset();
    EXPECT_FALSE(in.finished());
    in.feed(f.data(), f.size());
    in.markFinished();
    EXPECT_EQ(in.sync(), ssc::kOk) << "a lone last frame is taken at the end";
}

TEST(FrameSync, FeedTakesOnlyWhatFits) {
    Mp3InputBuffer in(100);  // rounded up to 128
    std::vector<uint8_t> data(300, 0);
    EXPECT_EQ(in.feed(data.data(), data.size()), 128u);
    EXPECT_EQ(in.freeSpace(), 0u);
    EXPECT_EQ(in.bytesHeld(), 128u);
}

}  // namespace
}  // namespace mp3
