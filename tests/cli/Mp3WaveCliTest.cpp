// MPEG Layer-3 WAVE files end to end through melodux-cli: the WAVE writer's
// option page and settings, files ffmpeg plays, and the format options and
// listings of the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "CliRun.h"
#include "TestWave.h"
#include "mp3/acm/Mp3WaveFormat.h"
#include "platform/acm/AcmTypes.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using acmtest::WaveFile;
using mp3::acm::Mp3WaveFormat;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Mp3WaveCli : public ::testing::Test {
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

    TempSettings settings_;
    testsupport::TempDir dir_;
};

TEST_F(Mp3WaveCli, WritesFilesFfmpegPlaysForTheirLength) {
    const auto source = dir_ / "source.wav", out = dir_ / "out.wav";
    acmtest::writeWave(source, {platform::WaveFormat::pcm(2, 44100, 16),
                                acmtest::toBytes(acmtest::sweep(44100, 2, 2.0, 0.5)),
                                {}});
    const CliRun run = cli(
        "convert " + quoted(source) + " " + quoted(out) + " --wave-format mp3:44100:2:128", false);
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "format: WAVE MPEG Layer-3 44.100 kHz, 128 kBit/s, ｽﾃﾚｵ\nStarted\nFinished\n");

    const WaveFile wave = acmtest::readWave(out);
    const auto format = Mp3WaveFormat::parse(wave.format);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->bitrate, 128000u);
    EXPECT_EQ(wave.factFrames, 88200u);

    const size_t decoded = ffmpegDecode(out).size() / 2;
    EXPECT_GE(decoded, 88200u);
    EXPECT_LE(decoded, 88200u + 3 * 1152);
    EXPECT_NEAR(std::stod(acmtest::outputOf(
                    "ffprobe -v error -show_entries format=duration -of csv=p=0 " + quoted(out))),
                2.0, 0.03);

    // The chosen format was saved as the writer's setting.
    EXPECT_TRUE(contains(cli("formats mp3", false).out, "* mp3:44100:2:128 "));

    // Our own player side reads it back at its length.
    const auto back = dir_ / "back.wav";
    ASSERT_EQ(cli("convert " + quoted(out) + " " + quoted(back) + " --wave-format pcm:44100:16:2")
                  .exitCode,
              0);
    const size_t frames = acmtest::readWave(back).data.size() / 4;
    EXPECT_GE(frames, 88200u);
    EXPECT_LE(frames, 88200u + 3 * 1152);
}

TEST(Mp3WaveCliOptions, RefusesBadFormatsBeforeWriting) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const auto out = quoted(dir / "out.wav");
    const struct {
        const char* format;
        const char* says;
    } cases[] = {
        {"mp4:44100:2", "unknown wave format 'mp4'"},
        {"mp3:44100:2", "a mp3 format is mp3:RATE:CHANNELS:BITRATE"},
        {"pcm:44100:x:2", "'x' is not a positive number"},
        {"pcm:16000:16:1", "pcm:8000:8:1"},  // lists the kind's formats
        {"mp3:44100:2:100", "mp3:44100:2:128"},
        {"alaw:44100:3", "cannot write alaw:44100:3"},
    };
    for (const auto& c : cases) {
        const CliRun run = cli("convert ::SLNC500 " + out + " --wave-format " + c.format);
        EXPECT_EQ(run.exitCode, 2) << c.format;
        EXPECT_TRUE(contains(run.out, c.says)) << run.out;
    }
    const CliRun wma =
        cli("convert ::SLNC500 " + quoted(dir / "out.wma") + " --wave-format pcm:44100:16:2");
    EXPECT_EQ(wma.exitCode, 2);
    EXPECT_TRUE(contains(wma.out, "needs a .wav output")) << wma.out;
    EXPECT_TRUE(dir.names().empty());
}

TEST(Mp3WaveCliOptions, ListsTheOptionPagesFormats) {
    TempSettings settings;
    const std::string plain = cli("formats", false).out;
    EXPECT_TRUE(contains(plain, "0x0001 PCM\n")) << plain;
    EXPECT_TRUE(contains(plain, "* pcm:44100:16:2 ")) << plain;
    EXPECT_TRUE(contains(plain, "44.100Hz, 16 ﾋﾞｯﾄ, ｽﾃﾚｵ\n")) << plain;
    EXPECT_FALSE(contains(plain, "0x0055"));

    const CliRun hidden = cli("formats mp3");
    EXPECT_EQ(hidden.exitCode, 0);
    EXPECT_TRUE(contains(hidden.out, "\"EnableCodec\"")) << hidden.out;

    ASSERT_EQ(cli("config set 'DoZIrodiz\\WaveWriter' EnableCodec 1").exitCode, 0);
    const std::string all = cli("formats", false).out;
    EXPECT_TRUE(contains(all, "0x0011 IMA ADPCM\n")) << all;
    EXPECT_TRUE(contains(all, "0x0055 MPEG Layer-3\n")) << all;
    EXPECT_TRUE(contains(all, "  mp3:44100:2:128          44.100 kHz, 128 kBit/s, ｽﾃﾚｵ\n")) << all;
    EXPECT_EQ(cli("formats 0x55", false).out, cli("formats mp3", false).out);
    EXPECT_EQ(cli("formats nonsense").exitCode, 2);
}

TEST(Mp3WaveCliOptions, ListsTheMp3WritersFormatsForAnInput) {
    TempSettings settings;
    const std::string at48 = cli("formats mp3 --input-rate 48000 --input-channels 2", false).out;
    EXPECT_TRUE(contains(at48, "MP3 writer formats for 48000 Hz Stereo input:\n")) << at48;
    EXPECT_TRUE(contains(at48, "128Kbps 48000Hz Stereo\n")) << at48;
    EXPECT_TRUE(contains(at48, "16000Hz")) << at48;
    EXPECT_FALSE(contains(at48, "44100Hz"));

    // Rates snap down to the table; only rates dividing the input are offered.
    const std::string at44 = cli("formats mp3 --input-rate 44200", false).out;
    EXPECT_TRUE(contains(at44, "for 44100 Hz Stereo input")) << at44;
    EXPECT_TRUE(contains(at44, "11025Hz"));
    EXPECT_FALSE(contains(at44, "48000Hz"));
    EXPECT_EQ(cli("formats mp3 --input-channels 3").exitCode, 2);
    EXPECT_EQ(cli("formats pcm --input-rate 44100").exitCode, 2);
}

}  // namespace
