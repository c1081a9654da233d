// Our MPEG Layer-3 WAVE decode of what ffmpeg writes, against ffmpeg's own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "Mp3AcmTestSupport.h"
#include "TestWave.h"
#include "platform/acm/AcmTypes.h"
#include "support/TempDir.h"

namespace {

using acmtest::WaveFile;

std::string quoted(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

class Mp3FfmpegDecode : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!acmtest::haveTool("ffmpeg")) {
            GTEST_SKIP() << "ffmpeg is needed";
        }
    }
    // ffmpeg's decode of a file; it must not complain.
    std::vector<int16_t> ffmpegDecode(const std::filesystem::path& file) {
        std::string complaint;
        auto samples = acmtest::ffmpegDecode(file, dir_ / "ffmpeg-pcm.wav", complaint);
        EXPECT_EQ(complaint, "");
        return samples;
    }

    testsupport::TempDir dir_;
};

// Our decode of ffmpeg's file against ffmpeg's own: the same frames, so
// the same samples but for rounding, once the start is lined up.
TEST_F(Mp3FfmpegDecode, DecodesWhatFfmpegWrites) {
    const auto theirs = dir_ / "ffmpeg.wav";
    ASSERT_TRUE(
        acmtest::run("ffmpeg -nostdin -y -f lavfi -i sine=frequency=1000:sample_rate="
                     "22050:duration=1.5 -ac 2 -c:a libmp3lame -b:a 64k -f wav " +
                     quoted(theirs)));
    const WaveFile wave = acmtest::readWave(theirs);
    ASSERT_EQ(wave.format.tag(), platform::acm::kTagMpegLayer3);
    const auto ours = acmtest::toSamples(
        acmtest::convertAll(mp3acmtest::withMp3(), wave.format,
                            platform::WaveFormat::pcm(2, 22050, 16), wave.data, 4096));
    const auto reference = ffmpegDecode(theirs);
    ASSERT_FALSE(reference.empty());
    ASSERT_GE(ours.size(), reference.size());
    const size_t skip = ours.size() - reference.size();
    int worst = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        worst = std::max(worst, std::abs(ours[i + skip] - reference[i]));
    }
    EXPECT_LE(worst, 2);
}

}  // namespace
