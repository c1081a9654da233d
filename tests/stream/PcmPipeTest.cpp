#include "stream/PcmPipe.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(size_t n, uint8_t first = 0) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

TEST(PcmPipe, CarriesAStreamLargerThanItself) {
    PcmPipe pipe(100);
    const auto sent = Bytes(1000);
    std::thread producer([&] {
        EXPECT_EQ(pipe.Write(sent), sent.size());
        pipe.Close();
    });
    std::vector<uint8_t> got(1000 + 7);
    EXPECT_EQ(pipe.Read(got), 1000u);  // the rest after closing is short
    got.resize(1000);
    EXPECT_EQ(got, sent);
    producer.join();
}

// What was written before Close is still read: the end is not lost.
TEST(PcmPipe, CloseDrainsThenEnds) {
    PcmPipe pipe(64);
    ASSERT_EQ(pipe.Write(Bytes(40)), 40u);
    pipe.Close();
    EXPECT_EQ(pipe.Write(Bytes(1)), 0u);
    std::vector<uint8_t> got(30);
    EXPECT_EQ(pipe.Read(got), 30u);
    EXPECT_EQ(pipe.Read(got), 10u);
    EXPECT_EQ(pipe.Read(got), 0u);
    pipe.Reset();
    ASSERT_EQ(pipe.Write(Bytes(5, 9)), 5u);
    got.resize(5);
    pipe.Close();
    EXPECT_EQ(pipe.Read(got), 5u);
    EXPECT_EQ(got, Bytes(5, 9));
}

TEST(PcmPipe, CloseReleasesABlockedWriter) {
    PcmPipe pipe(16);
    size_t written = 1;
    std::thread producer([&] { written = pipe.Write(Bytes(64)); });
    std::vector<uint8_t> got(8);
    EXPECT_EQ(pipe.Read(got), 8u);  // the writer is there and filling
    pipe.Close();
    producer.join();
    EXPECT_EQ(written, 0u);
}

}  // namespace
