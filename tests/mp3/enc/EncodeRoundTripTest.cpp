#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

#include "EncTestSupport.h"
#include "mp3/Mp3FileAnalysis.h"
#include "mp3/enc/Layer3Encoder.h"

namespace mp3::enc {
namespace {

using test::decodeAll;
using test::encodeAll;
using test::testSignal;
using test::walkFrames;

// Every offered format of the common inputs decodes without a single
// failure, frame after frame, with the length the padding rule gives.
TEST(EncodeRoundTripTest, EveryOfferedFormatDecodesCleanly) {
    for (const auto& [rate, channels, quality] :
         {std::tuple{44100, 2, 0}, std::tuple{48000, 2, 0}, std::tuple{44100, 2, 2},
          std::tuple{22050, 1, 1}, std::tuple{32000, 2, 1}}) {
        const std::vector<int16_t> pcm = testSignal(rate, channels, 0.6);
        auto probe = Mp3EncoderHandle::create(rate, channels, quality);
        ASSERT_TRUE(probe);
        for (const Mp3Format& f : probe->formats()) {
            SCOPED_TRACE(testing::Message()
                         << rate << "/" << channels << " q" << quality << " -> " << f.sampleRate
                         << " " << f.channels << " " << f.bitrate);
            auto h = Mp3EncoderHandle::create(rate, channels, quality);
            ASSERT_TRUE(h->setOutputFormat(f.sampleRate, f.channels, f.bitrate));
            const std::vector<uint8_t> mp3 = encodeAll(*h, pcm);
            const test::FrameWalk walk = walkFrames(mp3);
            ASSERT_FALSE(walk.headers.empty());
            EXPECT_EQ(walk.trailing, 0u);
            long long bytes = 0;
            uint32_t shortest = 1u << 20, longest = 0;
            for (const Mp3FrameHeader& hd : walk.headers) {
                EXPECT_EQ(static_cast<int>(hd.sampleRate), f.sampleRate);
                EXPECT_EQ(static_cast<int>(hd.channels), f.channels);
                bytes += hd.frameBytes();
                shortest = std::min(shortest, hd.frameBytes());
                longest = std::max(longest, hd.frameBytes());
            }
            // Bitrates between two table entries mix them; the running mean
            // stays within one frame's difference of the request.
            const double n = static_cast<double>(walk.headers.size());
            const double expected =
                f.bitrate / 8.0 * walk.headers[0].samplesPerFrame() / f.sampleRate;
            EXPECT_NEAR(static_cast<double>(bytes) / n, expected, 1.0 + (longest - shortest) / n);
            const test::DecodeReport r = decodeAll(mp3);
            EXPECT_EQ(r.failures, 0);
            EXPECT_EQ(r.frames, static_cast<int>(walk.headers.size()));
        }
    }
}

TEST(EncodeRoundTripTest, CbrFramesFollowThePaddingRule) {
    auto h = Mp3EncoderHandle::create(44100, 2, 0);
    const test::FrameWalk walk = walkFrames(encodeAll(*h, testSignal(44100, 2, 1.0)));
    ASSERT_GT(walk.headers.size(), 10u);
    long long accumulator = 42300;
    for (const Mp3FrameHeader& hd : walk.headers) {
        accumulator -= 42300;
        const bool pad = accumulator < 0;
        if (pad) {
            accumulator += 44100;
        }
        EXPECT_EQ(hd.padding, pad ? 1u : 0u);
        EXPECT_EQ(hd.frameBytes(), pad ? 418u : 417u);
    }
}

TEST(EncodeRoundTripTest, CrcFramesVerifyAndHeaderBitsAreSet) {
    for (const int rate : {44100, 22050, 8000}) {
        auto h = Mp3EncoderHandle::create(rate, 1, 1);
        Mp3EncoderConfig c = h->config();
        c.engineValue = 1;
        c.copyright = 1;
        c.original = 1;
        ASSERT_TRUE(h->setConfig(c));
        const test::FrameWalk walk = walkFrames(encodeAll(*h, testSignal(rate, 1, 0.5)));
        ASSERT_FALSE(walk.headers.empty());
        EXPECT_EQ(walk.crcFailures, 0);
        for (const Mp3FrameHeader& hd : walk.headers) {
            EXPECT_EQ(hd.crcPresent, 1u);
            EXPECT_EQ(hd.copyright, 1u);
            EXPECT_EQ(hd.original, 1u);
        }
    }
}

// Decoded audio matches the input after the codec delay.
TEST(EncodeRoundTripTest, DecodedSignalFollowsTheInput) {
    const int rate = 44100;
    const std::vector<int16_t> pcm = testSignal(rate, 2, 1.0);
    for (const int quality : {0, 1, 2}) {
        auto h = Mp3EncoderHandle::create(rate, 2, quality);
        const test::DecodeReport r = decodeAll(encodeAll(*h, pcm));
        ASSERT_EQ(r.channels, 2);
        const size_t delay = static_cast<size_t>(h->config().engineOutput + 529);
        double signal = 0, error = 0;
        for (size_t i = 4000; i < pcm.size() - 4000 && i + 2 * delay < r.pcm.size(); ++i) {
            const double d = r.pcm[i + 2 * delay] - pcm[i];
            signal += static_cast<double>(pcm[i]) * pcm[i];
            error += d * d;
        }
        EXPECT_GT(10 * std::log10(signal / error), 10.0) << quality;
    }
}

// Rate conversion in front of either engine keeps the timing: after the
// codec delay the decoded tone lies on the ideal one at the new rate, and
// nothing of the input is cut off at the end.
TEST(EncodeRoundTripTest, ConvertedRatesKeepTimingAndLength) {
    for (const auto& [from, to, quality, bitrate] :
         {std::tuple{44100, 32000, 2, 64000}, std::tuple{48000, 22050, 0, 40000},
          std::tuple{44100, 22050, 0, 48000}}) {
        SCOPED_TRACE(testing::Message() << from << " -> " << to << " q" << quality);
        const size_t frames = static_cast<size_t>(from);
        std::vector<int16_t> pcm(frames);
        for (size_t i = 0; i < frames; ++i) {
            pcm[i] =
                static_cast<int16_t>(std::lround(8000 * std::sin(2 * M_PI * 1000.0 * i / from)));
        }
        auto h = Mp3EncoderHandle::create(from, 1, quality);
        ASSERT_TRUE(h->setOutputFormat(to, 1, bitrate));
        const test::DecodeReport r = decodeAll(encodeAll(*h, pcm));
        const size_t delay = static_cast<size_t>(h->config().engineOutput + 529);
        const size_t expected = frames * static_cast<size_t>(to) / static_cast<size_t>(from);
        ASSERT_GE(r.pcm.size(), expected + delay);
        double signal = 0, error = 0;
        for (size_t i = expected / 8; i < expected - expected / 8; ++i) {
            const double ideal = 8000 * std::sin(2 * M_PI * 1000.0 * static_cast<double>(i) / to);
            signal += ideal * ideal;
            error += (r.pcm[i + delay] - ideal) * (r.pcm[i + delay] - ideal);
        }
        EXPECT_GT(10 * std::log10(signal / error), 20.0);
    }
}

TEST(EncodeRoundTripTest, VbrStreamCarriesTheRightDuration) {
    for (const int rate : {44100, 22050, 16000}) {
        auto h = Mp3EncoderHandle::create(rate, 2, 0);
        Mp3EncoderConfig c = h->config();
        c.vbrQuality = 80;
        ASSERT_TRUE(h->setConfig(c));
        const std::vector<uint8_t> mp3 = encodeAll(*h, testSignal(rate, 2, 2.0));
        Mp3FileAnalysis analysis;
        ASSERT_TRUE(analysis.analyse(mp3.data(), mp3.size(), mp3.size()));
        ASSERT_TRUE(analysis.hasVbri());
        const test::FrameWalk walk = walkFrames(mp3);
        EXPECT_EQ(analysis.vbri().frames, walk.headers.size() - 1);
        EXPECT_EQ(analysis.vbri().bytes, mp3.size());
        const double spf = walk.headers[1].samplesPerFrame();
        EXPECT_NEAR(analysis.info().duration, (walk.headers.size() - 1) * spf * 1000.0 / rate, 1.0);
        // Seeking to the middle lands on a frame start near the middle.
        const uint64_t middle = analysis.timeToOffset(analysis.info().duration / 2.0);
        EXPECT_NEAR(static_cast<double>(middle), mp3.size() / 2.0, mp3.size() * 0.15);
        EXPECT_EQ(decodeAll(mp3).failures, 0);
        std::set<uint32_t> bitrates;
        for (size_t i = 1; i < walk.headers.size(); ++i) {
            bitrates.insert(walk.headers[i].bitrate);
        }
        EXPECT_GT(bitrates.size(), 1u);
    }
}

// The model's complex transform is an option of the ISO encoder's
// configuration (the handle always turns it off): with it the encoder makes
// a different, equally clean stream.
TEST(EncodeRoundTripTest, ComplexTransformOptionCodesCleanly) {
    const std::vector<int16_t> pcm = testSignal(44100, 2, 1.0);
    std::vector<uint8_t> streams[2];
    for (const bool complex : {false, true}) {
        OptionConfig options;
        if (!complex) {
            options.add("noCmdct");
        }
        std::unique_ptr<Layer3Encoder> enc;
        ASSERT_EQ(Layer3Encoder::create(Layer3Config{}, options, enc), nullptr);
        std::vector<float> planes[2] = {std::vector<float>(kGranuleLines),
                                        std::vector<float>(kGranuleLines)};
        std::vector<uint8_t>& out = streams[complex];
        for (size_t at = 0; at + kGranuleLines * 2 <= pcm.size(); at += kGranuleLines * 2) {
            for (size_t i = 0; i < kGranuleLines; ++i) {
                planes[0][i] = pcm[at + 2 * i] / 32768.0f;
                planes[1][i] = pcm[at + 2 * i + 1] / 32768.0f;
            }
            const float* p[2] = {planes[0].data(), planes[1].data()};
            enc->encodeGranule(p, out);
        }
        enc->flush(out);
        const test::DecodeReport r = decodeAll(out);
        EXPECT_EQ(r.failures, 0);
        const size_t delay = static_cast<size_t>(enc->delaySamples() + 529);
        double signal = 0, error = 0;
        for (size_t i = 4000; i < pcm.size() - 4000; ++i) {
            const double d = r.pcm[i + 2 * delay] - pcm[i];
            signal += static_cast<double>(pcm[i]) * pcm[i];
            error += d * d;
        }
        EXPECT_GT(10 * std::log10(signal / error), 10.0) << complex;
    }
    EXPECT_NE(streams[0], streams[1]);
}

// An independent decoder reads what we write, when one is installed.
TEST(EncodeRoundTripTest, IndependentDecoderAcceptsTheStreams) {
    if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ffmpeg not installed";
    }
    const auto dir = std::filesystem::temp_directory_path() / "mp3enc_ffmpeg_test";
    std::filesystem::create_directories(dir);
    int index = 0;
    for (const auto& [rate, bitrate, vbr] :
         {std::tuple{44100, 128000, 0}, std::tuple{44100, 0, 60}, std::tuple{22050, 18000, 0},
          std::tuple{8000, 8000, 0}, std::tuple{48000, 320000, 0}}) {
        auto h = Mp3EncoderHandle::create(rate, 2, 1);
        if (vbr != 0) {
            Mp3EncoderConfig c = h->config();
            c.vbrQuality = vbr;
            ASSERT_TRUE(h->setConfig(c));
        } else {
            ASSERT_TRUE(h->setOutputFormat(0, 0, bitrate));
        }
        const std::vector<uint8_t> mp3 = encodeAll(*h, testSignal(rate, 2, 1.0));
        const auto path = dir / ("stream" + std::to_string(index++) + ".mp3");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(mp3.data()),
                   static_cast<std::streamsize>(mp3.size()));
        const std::string command = "ffmpeg -v error -xerror -i " + path.string() +
                                    " -f null - 2>&1 | grep -q . && exit 1 || exit 0";
        EXPECT_EQ(std::system(command.c_str()), 0) << path;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace mp3::enc
