#include "platform/acm/Stream.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestWave.h"
#include "platform/acm/ImaAdpcm.h"

namespace {

using namespace platform::acm;
using platform::WaveFormat;

class StreamTest : public ::testing::Test {
  protected:
    // A prepared header over fresh buffers.
    void prepare(Stream& stream, size_t sourceBytes, size_t destinationBytes) {
        source_.assign(sourceBytes, 0);
        destination_.assign(destinationBytes, 0);
        header_ = StreamHeader{};
        header_.source = source_;
        header_.destination = destination_;
        ASSERT_EQ(stream.prepareHeader(header_), kOk);
    }

    CodecRegistry codecs_ = CodecRegistry::standard();
    std::vector<uint8_t> source_, destination_;
    StreamHeader header_;
};

TEST_F(StreamTest, RefusesConversionsNoCodecOffers) {
    Stream s;
    const auto ima = ImaAdpcm::standardFormat(1, 22050);
    EXPECT_EQ(s.open(codecs_, ima, WaveFormat::pcm(1, 22050, 8)), kNotPossible);
    EXPECT_EQ(s.open(codecs_, WaveFormat::pcm(1, 44100, 16), ima), kNotPossible);
    EXPECT_EQ(s.open(codecs_, WaveFormat::pcm(6, 44100, 16), WaveFormat::pcm(2, 44100, 16)),
              kNotPossible);
    EXPECT_EQ(s.open(codecs_, WaveFormat::pcm(0, 44100, 16), WaveFormat::pcm(2, 44100, 16)),
              kNotPossible);
    EXPECT_FALSE(s.isOpen());
    size_t bytes = 0;
    EXPECT_EQ(s.destinationSize(100, bytes), kInvalidHandle);
}

TEST_F(StreamTest, HeadersMustBePreparedForTheStreamThatConverts) {
    Stream a, b;
    const auto f = WaveFormat::pcm(2, 44100, 16);
    ASSERT_EQ(a.open(codecs_, f, f), kOk);
    ASSERT_EQ(b.open(codecs_, f, f), kOk);
    StreamHeader loose;
    EXPECT_EQ(a.convert(loose, kConvertBlockAlign), kUnprepared);
    prepare(a, 64, 64);
    EXPECT_EQ(b.convert(header_, 0), kUnprepared);
    EXPECT_EQ(a.prepareHeader(header_), kBusy);
    EXPECT_EQ(a.convert(header_, 0x8000), kInvalidFlag);
    header_.sourceLength = 65;
    EXPECT_EQ(a.convert(header_, 0), kInvalidParam);
    header_.sourceLength = 64;
    EXPECT_EQ(a.convert(header_, kConvertBlockAlign), kOk);
    EXPECT_EQ(header_.destinationLengthUsed, 64u);
    EXPECT_EQ(a.unprepareHeader(header_), kOk);
    EXPECT_EQ(a.convert(header_, 0), kUnprepared);
}

TEST_F(StreamTest, PartialBlocksWaitForTheEndOfTheStream) {
    Stream s;
    const auto ima = ImaAdpcm::standardFormat(1, 22050);  // 1017 frames in 512 bytes
    ASSERT_EQ(s.open(codecs_, WaveFormat::pcm(1, 22050, 16), ima), kOk);
    prepare(s, 2 * 1500, 4096);
    EXPECT_EQ(s.convert(header_, kConvertBlockAlign), kOk);
    EXPECT_EQ(header_.sourceLengthUsed, 2u * 1017);
    EXPECT_EQ(header_.destinationLengthUsed, 512u);
    // What is left is less than a block: nothing until the end.
    header_.sourceLength = 2 * 483;
    EXPECT_EQ(s.convert(header_, kConvertBlockAlign), kOk);
    EXPECT_EQ(header_.sourceLengthUsed, 0u);
    EXPECT_EQ(s.convert(header_, kConvertBlockAlign | kConvertEnd), kOk);
    EXPECT_EQ(header_.sourceLengthUsed, 2u * 483);
    EXPECT_EQ(header_.destinationLengthUsed, 512u);  // padded to a whole block
}

TEST_F(StreamTest, ResamplerKeepsItsLookAheadUnconsumedUntilTheEnd) {
    Stream s;
    ASSERT_EQ(s.open(codecs_, WaveFormat::pcm(1, 44100, 16), WaveFormat::pcm(1, 48000, 16)), kOk);
    size_t room = 0;
    ASSERT_EQ(s.destinationSize(8820, room), kOk);
    prepare(s, 8820, room);
    ASSERT_EQ(s.convert(header_, kConvertBlockAlign), kOk);
    const size_t held = header_.sourceLength - header_.sourceLengthUsed;
    EXPECT_GT(held, 0u);
    EXPECT_LT(held, 2 * 200u);
    size_t frames = header_.destinationLengthUsed / 2;
    // Offered again alone, the look-ahead still yields nothing...
    header_.sourceLength = held;
    ASSERT_EQ(s.convert(header_, kConvertBlockAlign), kOk);
    EXPECT_EQ(header_.sourceLengthUsed + header_.destinationLengthUsed, 0u);
    // ...until the end flushes it and the tail.
    ASSERT_EQ(s.convert(header_, kConvertBlockAlign | kConvertEnd), kOk);
    EXPECT_EQ(header_.sourceLengthUsed, held);
    frames += header_.destinationLengthUsed / 2;
    EXPECT_EQ(frames, 4800u);
    // Later end calls have nothing more.
    header_.sourceLength = 0;
    ASSERT_EQ(s.convert(header_, kConvertEnd), kOk);
    EXPECT_EQ(header_.destinationLengthUsed, 0u);
}

TEST_F(StreamTest, StartFlagForgetsEarlierInput) {
    Stream s;
    ASSERT_EQ(s.open(codecs_, WaveFormat::pcm(1, 44100, 16), WaveFormat::pcm(1, 32000, 16)), kOk);
    const auto signal = acmtest::toBytes(acmtest::sweep(44100, 1, 0.1, 0.5));
    size_t room = 0;
    s.destinationSize(signal.size(), room);
    prepare(s, signal.size(), room);
    std::copy(signal.begin(), signal.end(), source_.begin());
    ASSERT_EQ(s.convert(header_, kConvertEnd), kOk);
    const std::vector<uint8_t> first(destination_.begin(),
                                     destination_.begin() + header_.destinationLengthUsed);
    std::fill(source_.begin(), source_.end(), 0x55);
    ASSERT_EQ(s.convert(header_, kConvertBlockAlign), kOk);  // noise the state
    std::copy(signal.begin(), signal.end(), source_.begin());
    ASSERT_EQ(s.convert(header_, kConvertStart | kConvertEnd), kOk);
    EXPECT_EQ(std::vector<uint8_t>(destination_.begin(),
                                   destination_.begin() + header_.destinationLengthUsed),
              first);
}

TEST_F(StreamTest, DestinationSizeCoversEveryCall) {
    const std::pair<WaveFormat, WaveFormat> cases[] = {
        {WaveFormat::pcm(2, 44100, 16), WaveFormat::pcm(1, 8000, 8)},
        {WaveFormat::pcm(1, 8000, 8), WaveFormat::pcm(2, 96000, 32)},
        {WaveFormat::pcm(2, 22050, 16), ImaAdpcm::standardFormat(2, 22050)},
        {ImaAdpcm::standardFormat(2, 22050), WaveFormat::pcm(2, 22050, 16)},
    };
    for (const auto& [from, to] : cases) {
        Stream s;
        ASSERT_EQ(s.open(codecs_, from, to), kOk);
        size_t room = 0;
        s.destinationSize(10000, room);
        // The converter never writes past the room it reports, even when
        // a small input is given in full and ended at once.
        prepare(s, 10000, room);
        ASSERT_EQ(s.convert(header_, kConvertBlockAlign), kOk);
        EXPECT_LE(header_.destinationLengthUsed, room);
        header_.sourceLength = header_.sourceLength - header_.sourceLengthUsed;
        ASSERT_EQ(s.convert(header_, kConvertEnd), kOk);
        EXPECT_EQ(header_.sourceLengthUsed, header_.sourceLength);
    }
}

}  // namespace
