// Decodes every fixture and holds the output to the ISO/IEC 11172-4 full
// accuracy limits against the reference decode stored beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "Mp3TestSupport.h"

namespace mp3::test {
namespace {

struct Fixture {
    std::string name;
    int extraFrames = 0;
    int channels = 0;
    int frameSamples = 0;
};

std::vector<Fixture> readManifest() {
    std::vector<Fixture> fixtures;
    std::ifstream in(fixturePath("manifest.txt"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Fixture f;
        fields >> f.name;
        std::string field;
        while (fields >> field) {
            const auto eq = field.find('=');
            const std::string key = field.substr(0, eq);
            const std::string value = field.substr(eq + 1);
            if (key == "extra_frames") {
                f.extraFrames = std::stoi(value);
            } else if (key == "channels") {
                f.channels = std::stoi(value);
            } else if (key == "frame_samples") {
                f.frameSamples = std::stoi(value);
            }
        }
        fixtures.push_back(f);
    }
    return fixtures;
}

class DecoderAccuracy : public testing::TestWithParam<Fixture> {};

TEST_P(DecoderAccuracy, FloatOutputMeetsFullAccuracy) {
    const Fixture& f = GetParam();
    const auto reference = readFloats(fixturePath(f.name + ".f32"));
    const DecodeRun run = decodeAll(readBytes(fixturePath(f.name + ".mp3")), true);
    const size_t skip = static_cast<size_t>(f.extraFrames * f.frameSamples * f.channels);
    ASSERT_EQ(run.floats.size() - skip, reference.size()) << "sample count";
    const auto a = compareFloat(run.floats, skip, reference);
    std::printf("accuracy %-28s frames %3d  rms %.3g  max %.3g\n", f.name.c_str(), run.frames,
                a.rms, a.max);
    EXPECT_LT(a.rms, kRmsLimit);
    EXPECT_LT(a.max, kMaxLimit);
}

TEST_P(DecoderAccuracy, SixteenBitOutputIsWithinOneStepOfTheRoundedReference) {
    const Fixture& f = GetParam();
    const auto reference = readFloats(fixturePath(f.name + ".f32"));
    const DecodeRun run = decodeAll(readBytes(fixturePath(f.name + ".mp3")), false);
    const size_t skip = static_cast<size_t>(f.extraFrames * f.frameSamples * f.channels);
    ASSERT_EQ(run.pcm16.size() - skip, reference.size());
    int worst = 0;
    double sum = 0.0;
    for (size_t i = 0; i < reference.size(); ++i) {
        const double rounded =
            std::clamp(std::nearbyint(reference[i] * 32768.0), -32768.0, 32767.0);
        const double d = run.pcm16[skip + i] - rounded;
        worst = std::max(worst, static_cast<int>(std::abs(d)));
        sum += d * d;
    }
    EXPECT_LE(worst, 1);
    EXPECT_LT(std::sqrt(sum / static_cast<double>(reference.size())) / 32768.0, kRmsLimit);
}

std::string fixtureName(const testing::TestParamInfo<Fixture>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DecoderAccuracy, testing::ValuesIn(readManifest()), fixtureName);

// The options change the output in ways that follow from the full decode:
// Downmix is the mean of the two channels, Quality the top byte of the
// 16-bit sample, Resolution halves the rate with the lower half of the band.
TEST(Options, DownmixIsTheMeanOfBothChannels) {
    const auto data = readBytes(fixturePath("v1_44k_joint_128.mp3"));
    const DecodeRun stereo = decodeAll(data, true);
    const DecodeRun mono = decodeAll(data, true, 0, 0, 1);
    ASSERT_EQ(mono.floats.size() * 2, stereo.floats.size());
    EXPECT_EQ(mono.lastInfo.outputChannels, 1u);
    double worst = 0.0;
    for (size_t i = 0; i < mono.floats.size(); ++i) {
        const double mean = (stereo.floats[2 * i] + stereo.floats[2 * i + 1]) * 0.5;
        worst = std::max(worst, std::abs(mono.floats[i] - mean));
    }
    EXPECT_LT(worst / 32768.0, kMaxLimit);
}

TEST(Options, DownmixOfChannelsWithDifferentBlocksStaysTheMean) {
    // Its right channel switches block types on its own.
    const auto data = readBytes(fixturePath("crafted_v1_split_blocks.mp3"));
    const DecodeRun stereo = decodeAll(data, true);
    const DecodeRun mono = decodeAll(data, true, 0, 0, 1);
    ASSERT_EQ(mono.floats.size() * 2, stereo.floats.size());
    double worst = 0.0;
    for (size_t i = 0; i < mono.floats.size(); ++i) {
        const double mean = (stereo.floats[2 * i] + stereo.floats[2 * i + 1]) * 0.5;
        worst = std::max(worst, std::abs(mono.floats[i] - mean));
    }
    EXPECT_LT(worst / 32768.0, kMaxLimit);
}

TEST(Options, QualityGivesTheTopByteOfTheSixteenBitSample) {
    const auto data = readBytes(fixturePath("v2_22k_joint.mp3"));
    const DecodeRun wide = decodeAll(data, false);
    const DecodeRun narrow = decodeAll(data, false, 1);
    ASSERT_EQ(wide.pcm16.size(), narrow.pcm8.size());
    EXPECT_EQ(narrow.lastInfo.outputBitsPerSample, 8u);
    for (size_t i = 0; i < wide.pcm16.size(); ++i) {
        ASSERT_EQ(narrow.pcm8[i], ((wide.pcm16[i] + 32768) & 0xFFFF) >> 8) << i;
    }
}

TEST(Options, ResolutionAndDownmixOfA22kStreamGive288MonoSamplesAt11k) {
    const auto data = readBytes(fixturePath("v2_22k_joint.mp3"));
    const DecodeRun run = decodeAll(data, false, 0, 1, 1);
    ASSERT_GT(run.frames, 0);
    EXPECT_EQ(run.pcm16.size(), static_cast<size_t>(run.frames) * 288);
    EXPECT_EQ(run.lastInfo.outputSampleRate, 11025u);
    EXPECT_EQ(run.lastInfo.outputChannels, 1u);
}

TEST(Options, ReducedResolutionKeepsTheLowBandsLevel) {
    // A quarter-rate decode keeps the energy below 5.5 kHz: compare the
    // level of a low-pass stream at both resolutions.
    const auto data = readBytes(fixturePath("v25_8k_stereo.mp3"));
    const DecodeRun full = decodeAll(data, true);
    const DecodeRun half = decodeAll(data, true, 0, 1);
    ASSERT_EQ(half.floats.size() * 2, full.floats.size());
    auto level = [](const std::vector<float>& v) {
        double s = 0.0;
        for (float x : v) {
            s += double{x} * x;
        }
        return std::sqrt(s / static_cast<double>(v.size()));
    };
    EXPECT_NEAR(level(half.floats) / level(full.floats), 1.0, 0.25);
}

}  // namespace
}  // namespace mp3::test
