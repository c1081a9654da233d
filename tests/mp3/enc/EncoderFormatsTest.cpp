#include "mp3/enc/EncoderFormats.h"

#include <gtest/gtest.h>

#include <set>

#include "mp3/enc/Mp3EncoderHandle.h"

namespace mp3::enc {
namespace {

std::set<int> ratesOf(const std::vector<Mp3Format>& formats) {
    std::set<int> rates;
    for (const Mp3Format& f : formats) {
        rates.insert(f.sampleRate);
    }
    return rates;
}

TEST(EncoderFormatsTest, FastQualityOffersOnlyRatesThatDivideTheInput) {
    auto h44 = Mp3EncoderHandle::create(44100, 2, 0);
    ASSERT_TRUE(h44);
    EXPECT_EQ(ratesOf(h44->formats()), (std::set<int>{11025, 22050, 44100}));
    auto h48 = Mp3EncoderHandle::create(48000, 2, 0);
    ASSERT_TRUE(h48);
    EXPECT_EQ(ratesOf(h48->formats()), (std::set<int>{8000, 12000, 16000, 24000, 48000}));
    // The high quality converts rates itself and offers the others as well.
    auto q2 = Mp3EncoderHandle::create(44100, 2, 2);
    ASSERT_TRUE(q2);
    EXPECT_TRUE(ratesOf(q2->formats()).count(32000));
    EXPECT_LE(q2->formats().size(), 64u);
}

TEST(EncoderFormatsTest, ListsHoldOnlyBitratesOfTheirChannelRange) {
    for (const OfferedFormat& f : listOfferedFormats(48000, 2, 9, true)) {
        if (f.channels == 1) {
            EXPECT_LE(f.bitrate, 128000);
        } else {
            EXPECT_GE(f.bitrate, 20000);
        }
        const BitrateRow* row = bitrateRow(f.channels, f.bitrate);
        ASSERT_NE(row, nullptr);
        EXPECT_GE(f.sampleRate, row->lowestRate);
        EXPECT_LE(f.sampleRate, row->highestRate);
    }
    for (const OfferedFormat& f : listOfferedFormats(44100, 2, 0, false)) {
        EXPECT_EQ(f.channels, 2);
    }
}

TEST(EncoderFormatsTest, BitrateCheck) {
    BitrateCheck c;
    EXPECT_EQ(checkIsoBitrate(2, 16000, 44100, 0, false, c)->message,
              "bitrate invalid for this mode");
    ASSERT_EQ(checkIsoBitrate(1, 16000, 44100, 0, false, c), nullptr);
    EXPECT_EQ(c.sampleRate, 11025);  // 44100 / 4 lies in the row's range
    EXPECT_EQ(checkIsoBitrate(2, 7999, 44100, 0, false, c)->message,
              "bitrates < 8000 not supported by ISO MPEG Layer-3");
    EXPECT_EQ(checkIsoBitrate(2, 320001, 44100, 0, false, c)->message,
              "bitrates > 320000 not supported by ISO MPEG Layer-3");
    ASSERT_EQ(checkIsoBitrate(2, 64000, 44100, 9, false, c), nullptr);
    EXPECT_EQ(c.sampleRate, 22050);
    EXPECT_EQ(c.stereoTools, 3);
    EXPECT_TRUE(c.fullSearch);
    ASSERT_EQ(checkIsoBitrate(2, 64000, 44100, 9, true, c), nullptr);
    EXPECT_EQ(c.stereoTools, 1);
    ASSERT_EQ(checkIsoBitrate(2, 128000, 44100, 2, false, c), nullptr);
    EXPECT_EQ(c.stereoTools, 1);
    EXPECT_FALSE(c.fullSearch);
}

TEST(EncoderHandleTest, TwoChannelLowBitrateFallsBackToMono) {
    auto h = Mp3EncoderHandle::create(44100, 2, 0);
    ASSERT_TRUE(h);
    ASSERT_TRUE(h->setOutputFormat(0, 0, 16000));
    EXPECT_EQ(h->outputChannels(), 1);
    EXPECT_EQ(h->outputRate(), 11025);
    Mp3EncoderConfig c = h->config();
    c.allowMono = 0;
    ASSERT_TRUE(h->setConfig(c));
    EXPECT_FALSE(h->setOutputFormat(0, 0, 16000));
}

TEST(EncoderHandleTest, EngineChoice) {
    auto h = Mp3EncoderHandle::create(44100, 2, 0);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->bitrate(), 128000);  // 64000 per channel at 44100 Hz
    EXPECT_EQ(h->engine(), Mp3Engine::Fast);
    auto q1 = Mp3EncoderHandle::create(44100, 2, 1);
    ASSERT_TRUE(q1);
    EXPECT_EQ(q1->engine(), Mp3Engine::Iso);
    ASSERT_TRUE(q1->setOutputFormat(44100, 2, 320000));
    EXPECT_EQ(q1->engine(), Mp3Engine::Fast);  // 320000 goes to the fast engine
    auto q2 = Mp3EncoderHandle::create(44100, 2, 2);
    ASSERT_TRUE(q2);
    ASSERT_TRUE(q2->setOutputFormat(32000, 2, 64000));
    EXPECT_EQ(q2->engine(), Mp3Engine::Iso);  // 32000 per channel, converted by the ISO encoder
    ASSERT_TRUE(h->setOutputFormat(22050, 2, 64000));
    EXPECT_EQ(h->engine(), Mp3Engine::Fast);             // a simple ratio
    EXPECT_FALSE(h->setOutputFormat(48000, 2, 128000));  // above the input rate
    EXPECT_FALSE(h->setOutputFormat(44100, 3, 128000));
}

TEST(EncoderHandleTest, ConfigurationChecksChangeNothingOnFailure) {
    auto h = Mp3EncoderHandle::create(44100, 2, 0);
    ASSERT_TRUE(h);
    Mp3EncoderConfig c = h->config();
    Mp3EncoderConfig bad = c;
    bad.paddingMode = 3;
    EXPECT_FALSE(h->setConfig(bad));
    bad = c;
    bad.vbrQuality = 101;
    EXPECT_FALSE(h->setConfig(bad));
    bad = c;
    bad.lowpass = 30000.0f;
    EXPECT_FALSE(h->setConfig(bad));
    EXPECT_EQ(h->config().paddingMode, 0);
    c.vbrQuality = 60;
    ASSERT_TRUE(h->setConfig(c));
    EXPECT_EQ(h->bitrate(), 0);
    EXPECT_EQ(h->engine(), Mp3Engine::Fast);
    EXPECT_GT(h->config().engineOutput, 0);  // the engine's delay
    auto low = Mp3EncoderHandle::create(11025, 1, 0);
    ASSERT_TRUE(low);
    EXPECT_FALSE(low->setConfig(c));  // VBR needs 16000 Hz or more
    EXPECT_FALSE(Mp3EncoderHandle::create(44100, 3, 0));
    EXPECT_FALSE(Mp3EncoderHandle::create(44000, 2, 0));
}

TEST(EncoderHandleTest, EncodeRejectsSmallBuffersAndBadCalls) {
    auto h = Mp3EncoderHandle::create(44100, 2, 0);
    ASSERT_TRUE(h);
    std::vector<uint8_t> out(Mp3EncoderHandle::kMinOutputBytes - 1);
    const int16_t pcm[4] = {};
    size_t used = 0;
    EXPECT_EQ(h->encode(pcm, sizeof pcm, &used, out.data(), out.size()), -1);
    out.resize(8192);
    EXPECT_EQ(h->encode(nullptr, 4, &used, out.data(), out.size()), -1);
    EXPECT_EQ(h->encode(pcm, sizeof pcm, &used, out.data(), out.size()), 0);
    EXPECT_EQ(used, sizeof pcm);
}

}  // namespace
}  // namespace mp3::enc
