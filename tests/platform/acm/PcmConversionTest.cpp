#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "TestWave.h"
#include "platform/acm/AcmTypes.h"
#include "platform/acm/CodecRegistry.h"

namespace {

using namespace platform::acm;
using acmtest::convertAll;
using platform::WaveFormat;

WaveFormat floatFormat(uint16_t channels, uint32_t rate) {
    auto f = WaveFormat::pcm(channels, rate, 32);
    f.setTag(kTagIeeeFloat);
    return f;
}

class PcmConversion : public ::testing::Test {
  protected:
    std::vector<uint8_t> convert(const WaveFormat& from, const WaveFormat& to,
                                 std::span<const uint8_t> in) {
        return convertAll(codecs_, from, to, in, 4096);
    }

    CodecRegistry codecs_ = CodecRegistry::standard();
};

std::vector<uint8_t> int24(std::initializer_list<int32_t> values) {
    std::vector<uint8_t> out;
    for (const int32_t v : values) {
        for (int b = 0; b < 3; ++b) {
            out.push_back(static_cast<uint8_t>(v >> (8 * b)));
        }
    }
    return out;
}

TEST_F(PcmConversion, WideningAndNarrowingAgainGivesTheSameBits) {
    const auto pcm16 = acmtest::toBytes(acmtest::sweep(8000, 2, 0.3, 1.0));
    const WaveFormat stereo16 = WaveFormat::pcm(2, 8000, 16);
    for (const auto& wide : {WaveFormat::pcm(2, 8000, 24), WaveFormat::pcm(2, 8000, 32),
                             floatFormat(2, 8000), WaveFormat::pcm(1, 8000, 16)}) {
        if (wide.channels() == 1) {
            // mono -> stereo -> mono
            const auto mono = convert(stereo16, wide, pcm16);
            EXPECT_EQ(convert(WaveFormat::pcm(2, 8000, 16), wide, convert(wide, stereo16, mono)),
                      mono);
            continue;
        }
        EXPECT_EQ(convert(wide, stereo16, convert(stereo16, wide, pcm16)), pcm16)
            << wide.bitsPerSample();
    }
    std::vector<uint8_t> pcm8(256);
    for (size_t i = 0; i < pcm8.size(); ++i) {
        pcm8[i] = static_cast<uint8_t>(i);
    }
    const auto mono8 = WaveFormat::pcm(1, 8000, 8);
    EXPECT_EQ(convert(WaveFormat::pcm(1, 8000, 16), mono8,
                      convert(mono8, WaveFormat::pcm(1, 8000, 16), pcm8)),
              pcm8);
    const auto pcm24 = int24({8388607, -8388608, 1, -1, 0x123456});
    const auto mono24 = WaveFormat::pcm(1, 8000, 24);
    for (const auto& wide : {WaveFormat::pcm(1, 8000, 32), floatFormat(1, 8000)}) {
        EXPECT_EQ(convert(wide, mono24, convert(mono24, wide, pcm24)), pcm24);
    }
}

TEST_F(PcmConversion, FewerBitsRoundToNearestInsteadOfTruncating) {
    // 24 -> 16 bits: a quarter step goes down, three quarters go up, on both
    // sides of zero; half a step goes to the even neighbour.
    const auto in = int24({64, 192, -64, -192, 128, 384, 8388607});
    const auto out =
        acmtest::toSamples(convert(WaveFormat::pcm(1, 8000, 24), WaveFormat::pcm(1, 8000, 16), in));
    EXPECT_EQ(out, (std::vector<int16_t>{0, 1, 0, -1, 0, 2, 32767}));
}

TEST_F(PcmConversion, FloatClipsAtFullScaleAndSilencesNotANumber) {
    const float in[] = {1.5f, -2.0f, 0.5f, NAN, -1.0f};
    std::vector<uint8_t> bytes(sizeof in);
    std::memcpy(bytes.data(), in, sizeof in);
    const auto out =
        acmtest::toSamples(convert(floatFormat(1, 8000), WaveFormat::pcm(1, 8000, 16), bytes));
    EXPECT_EQ(out, (std::vector<int16_t>{32767, -32768, 16384, 0, -32768}));
}

TEST_F(PcmConversion, StereoToMonoTakesTheMean) {
    const int16_t in[] = {1000, 3000, -32768, -32768, 32767, -32768};
    const auto out = acmtest::toSamples(
        convert(WaveFormat::pcm(2, 8000, 16), WaveFormat::pcm(1, 8000, 16), acmtest::toBytes(in)));
    EXPECT_EQ(out, (std::vector<int16_t>{2000, -32768, 0}));
}

TEST_F(PcmConversion, ResampledLengthIsExactWhateverThePieceSize) {
    const auto in = acmtest::toBytes(acmtest::sweep(44100, 2, 0.5, 0.5));
    const size_t frames = in.size() / 4;
    for (const size_t piece : {512, 4096, 65536}) {
        const auto out = convertAll(codecs_, WaveFormat::pcm(2, 44100, 16),
                                    WaveFormat::pcm(2, 48000, 24), in, piece);
        EXPECT_EQ(out.size() / 6, (frames * 48000 + 22050) / 44100) << piece;
    }
}

TEST_F(PcmConversion, EqualFormatsPassBytesUnchanged) {
    std::vector<uint8_t> in(4000);
    for (size_t i = 0; i < in.size(); ++i) {
        in[i] = static_cast<uint8_t>(i * 7);
    }
    const auto f = WaveFormat::pcm(2, 44100, 16);
    EXPECT_EQ(convert(f, f, in), in);
}

}  // namespace
