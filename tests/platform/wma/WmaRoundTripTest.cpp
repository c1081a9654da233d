#include <gtest/gtest.h>

#include <cmath>

#include "WmaTestSupport.h"
#include "platform/wma/OutputFormats.h"
#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaError.h"
#include "platform/wma/WmaModule.h"
#include "platform/wma/WmaWriter.h"

namespace {

using namespace platform::wma;
using wmatest::Pcm;

constexpr uint32_t kSourceRate = 44100;
constexpr size_t kSourceFrames = 66150;  // 1.5 s
constexpr size_t kSourceOnset = 11025;   // 0.25 s of silence first
constexpr double kToneHz = 440;
constexpr int kToneAmplitude = 12000;

// What a WAVE file or a CD track brings: 44.1 kHz stereo, converted to the
// format. The decoded file starts where the source starts, is as long, and
// keeps the level.
void expectFaithfulRoundTrip(const OutputSettings& out, const wmatest::TempDir& dir) {
    const Pcm source =
        wmatest::tone(kSourceRate, 2, kSourceFrames, kSourceOnset, kToneHz, kToneAmplitude);
    wmatest::writeWma(dir / "out.wma", source, out);

    const Pcm decoded = wmatest::decodeAll(dir / "out.wma");
    ASSERT_EQ(decoded.rate, out.sampleRate);
    ASSERT_EQ(decoded.channels, out.channels);
    const double scale = double(out.sampleRate) / kSourceRate;
    EXPECT_NEAR(double(decoded.frames()), kSourceFrames * scale, 2.0);
    const double millisecond = out.sampleRate / 1000.0;
    EXPECT_NEAR(double(wmatest::onsetOf(decoded)), kSourceOnset * scale, millisecond);
    const auto steadyFrom = static_cast<size_t>(0.5 * out.sampleRate);
    const auto steadyTo = static_cast<size_t>(1.4 * out.sampleRate);
    const double sourceLevel =
        wmatest::levelDb(source, 2 * kSourceOnset, static_cast<size_t>(1.4 * kSourceRate));
    EXPECT_NEAR(wmatest::levelDb(decoded, steadyFrom, steadyTo), sourceLevel, 1.5);
    // Silence stays silent (pre-echo may reach a codec frame ahead).
    EXPECT_LT(wmatest::levelDb(decoded, 0, static_cast<size_t>(kSourceOnset * scale / 2)), -60);
}

// A refused format says why before anything is written.
void expectRefusal(const OutputSettings& out, const OutputSupport& support,
                   const wmatest::TempDir& dir) {
    EXPECT_NE(support.reason.find("Kbps"), std::string::npos) << support.reason;
    const Pcm source = wmatest::tone(kSourceRate, 2, 4410, 0);
    try {
        wmatest::writeWma(dir / "out.wma", source, out);
        FAIL() << "a refused format was written";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::UnsupportedFormat);
        EXPECT_EQ(e.what(), support.reason);
    }
    EXPECT_TRUE(dir.names().empty());
}

class OfferedFormat : public testing::TestWithParam<size_t> {};

TEST_P(OfferedFormat, WrittenFaithfullyOrRefusedWithAReason) {
    const OutputSettings out = offeredFormats()[GetParam()];
    const wmatest::TempDir dir;
    const OutputSupport support = wmaCodec().checkOutput(out);
    if (support.supported) {
        expectFaithfulRoundTrip(out, dir);
    } else {
        expectRefusal(out, support, dir);
    }
}

INSTANTIATE_TEST_SUITE_P(OptionTable, OfferedFormat, testing::Range<size_t>(0, 32));

TEST(OutputFormats, TableAndVerdicts) {
    ASSERT_EQ(offeredFormats().size(), 32u);
    EXPECT_TRUE(wmaCodec().checkOutput(OutputSettings{}).supported);  // the default settings
    const OutputSupport low = wmaCodec().checkOutput({8000, 1, 5000});
    EXPECT_FALSE(low.supported);
    EXPECT_NE(low.reason.find("8000Hz Mono"), std::string::npos) << low.reason;
    EXPECT_FALSE(wmaCodec().checkOutput({44100, 6, 128000}).supported);
    EXPECT_FALSE(wmaCodec().checkOutput({0, 2, 128000}).supported);
}

// Input the stream framework may hand over: the encoded file must not depend
// on the PCM layout of the source.
TEST(WmaWriterInput, EightTwentyFourThirtyTwoBitAndFloatInputDecodeAlike) {
    wmatest::TempDir dir;
    const Pcm reference = wmatest::tone(kSourceRate, 2, 22050, 4410);
    const OutputSettings out{44100, 2, 128000};
    struct Case {
        platform::WaveFormat format;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    platform::WaveFormat fl = platform::WaveFormat::pcm(2, kSourceRate, 32);
    fl.setTag(platform::kWaveFormatIeeeFloat);
    cases.push_back({platform::WaveFormat::pcm(2, kSourceRate, 8), {}});
    cases.push_back({platform::WaveFormat::pcm(2, kSourceRate, 24), {}});
    cases.push_back({platform::WaveFormat::pcm(2, kSourceRate, 32), {}});
    cases.push_back({fl, {}});
    for (const int16_t s : reference.samples) {
        cases[0].bytes.push_back(static_cast<uint8_t>((s >> 8) + 128));
        cases[1].bytes.insert(cases[1].bytes.end(),
                              {0, static_cast<uint8_t>(s), static_cast<uint8_t>(s >> 8)});
        const int32_t wide = int32_t{s} * 65536;
        const float f = s / 32768.0f;
        for (int b = 0; b < 4; ++b) {
            cases[2].bytes.push_back(static_cast<uint8_t>(wide >> (8 * b)));
            cases[3].bytes.push_back(reinterpret_cast<const uint8_t*>(&f)[b]);
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format.bitsPerSample());
        {
            const auto writer = wmaCodec().createWriter(dir / "x.wma", c.format, out, {});
            // Odd-sized pieces: sample frames split across calls.
            for (size_t at = 0; at < c.bytes.size(); at += 1001) {
                const size_t n = std::min<size_t>(1001, c.bytes.size() - at);
                writer->write(std::span(c.bytes).subspan(at, n));
            }
            writer->finish();
        }
        const Pcm decoded = wmatest::decodeAll(dir / "x.wma");
        EXPECT_EQ(decoded.frames(), reference.frames());
        EXPECT_NEAR(double(wmatest::onsetOf(decoded)), 4410, 44);
        EXPECT_NEAR(wmatest::levelDb(decoded, 8820, 20000),
                    wmatest::levelDb(reference, 8820, 20000), 1.0);
    }
}

TEST(WmaWriterInput, RejectsWhatIsNotPcm) {
    wmatest::TempDir dir;
    platform::WaveFormat adpcm = platform::WaveFormat::pcm(2, 44100, 4);
    adpcm.setTag(2);
    for (const platform::WaveFormat& f :
         {adpcm, platform::WaveFormat::pcm(2, 44100, 12), platform::WaveFormat::pcm(0, 44100, 16),
          platform::WaveFormat::pcm(2, 0, 16)}) {
        try {
            wmaCodec().createWriter(dir / "x.wma", f, OutputSettings{}, {});
            FAIL() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::InvalidArgument);
        }
    }
    EXPECT_TRUE(dir.names().empty());
}

// Exactly as long as the input whatever the last frame holds, and nothing
// for an empty input.
TEST(WmaWriterLength, PartialLastFramesAndEmptyInput) {
    wmatest::TempDir dir;
    for (const size_t frames :
         {size_t{0}, size_t{1}, size_t{2047}, size_t{2048}, size_t{2049}, size_t{44100}}) {
        SCOPED_TRACE(frames);
        const Pcm source = wmatest::tone(44100, 2, frames, 0);
        wmatest::writeWma(dir / "x.wma", source, OutputSettings{});
        const Pcm decoded = wmatest::decodeAll(dir / "x.wma");
        EXPECT_EQ(decoded.frames(), frames);
        if (frames >= 2048) {
            // The end is not faded: the last frame is decoded in full.
            EXPECT_NEAR(wmatest::levelDb(decoded, frames - 1024, frames),
                        wmatest::levelDb(source, frames - 1024, frames), 1.0);
        }
    }
}

}  // namespace
