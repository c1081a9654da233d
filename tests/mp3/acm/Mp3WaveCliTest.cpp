// MPEG Layer-3 WAVE files end to end through melodux-cli: the WAVE writer's
// option page and settings, files exchanged with ffmpeg, and the format
// options and listings of the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "TestWave.h"
#include "cli/CliRun.h"
#include "mp3/acm/Mp3AcmCodec.h"
#include "mp3/acm/Mp3WaveFormat.h"
#include "platform/acm/AcmTypes.h"
#include "platform/acm/CodecRegistry.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using acmtest::WaveFile;
using mp3::acm::Mp3WaveFormat;

std::vector<uint8_t> bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string quoted(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

// A 16-bit PCM WAVE file holding a sweep.
std::filesystem::path sweepWave(const testsupport::TempDir& dir, uint32_t rate, uint16_t channels,
                                double seconds) {
    const auto path = dir / "source.wav";
    acmtest::writeWave(
        path,
        WaveFile{platform::WaveFormat::pcm(channels, rate, 16),
                 acmtest::toBytes(acmtest::sweep(rate, channels, seconds, 0.5)), std::nullopt});
    return path;
}

// What ffmpeg makes of a file: its decoded 16-bit samples, and whether it
// complained.
struct FfmpegDecode {
    bool clean = false;
    std::vector<int16_t> samples;
};

FfmpegDecode ffmpegDecode(const testsupport::TempDir& dir, const std::filesystem::path& file) {
    const auto raw = dir / "ffmpeg.raw", log = dir / "ffmpeg.log";
    const bool ok = std::system(("ffmpeg -nostdin -v error -y -i " + quoted(file) +
                                 " -f s16le -c:a pcm_s16le " + quoted(raw) + " 2>" + quoted(log))
                                    .c_str()) == 0;
    FfmpegDecode d;
    d.clean = ok && std::filesystem::file_size(log) == 0;
    d.samples = acmtest::toSamples(bytesOf(raw));
    return d;
}

class Mp3WaveCli : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!acmtest::haveTool("ffmpeg")) {
            GTEST_SKIP() << "ffmpeg is needed";
        }
    }
    TempSettings settings_;
    testsupport::TempDir dir_;
};

// Output of a command, standard output only.
std::string capture(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    ::pclose(pipe);
    return out;
}

TEST_F(Mp3WaveCli, WritesFilesFfmpegPlaysForTheirLength) {
    const auto source = sweepWave(dir_, 44100, 2, 2.0);
    const auto out = dir_ / "out.wav";
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

    const auto decoded = ffmpegDecode(dir_, out);
    EXPECT_TRUE(decoded.clean);
    EXPECT_GE(decoded.samples.size() / 2, 88200u);
    EXPECT_LE(decoded.samples.size() / 2, 88200u + 3 * 1152);
    const double seconds =
        std::stod(capture("ffprobe -v error -show_entries format=duration -of "
                          "csv=p=0 " +
                          quoted(out)));
    EXPECT_NEAR(seconds, 2.0, 0.03);

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

// Our decode of ffmpeg's file against ffmpeg's own: the same frames, so
// the same samples but for rounding, once the start is lined up.
TEST_F(Mp3WaveCli, DecodesWhatFfmpegWrites) {
    const auto theirs = dir_ / "ffmpeg.wav";
    ASSERT_TRUE(
        acmtest::run("ffmpeg -nostdin -y -f lavfi -i sine=frequency=1000:sample_rate="
                     "22050:duration=1.5 -ac 2 -c:a libmp3lame -b:a 64k -f wav " +
                     quoted(theirs)));
    const WaveFile wave = acmtest::readWave(theirs);
    ASSERT_EQ(wave.format.tag(), platform::acm::kTagMpegLayer3);
    auto codecs = platform::acm::CodecRegistry::standard();
    codecs.add(std::make_shared<mp3::acm::Mp3AcmCodec>());
    const auto ours = acmtest::toSamples(acmtest::convertAll(
        codecs, wave.format, platform::WaveFormat::pcm(2, 22050, 16), wave.data, 4096));
    const auto reference = ffmpegDecode(dir_, theirs).samples;
    ASSERT_FALSE(reference.empty());
    ASSERT_GE(ours.size(), reference.size());
    const size_t skip = ours.size() - reference.size();
    int worst = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        worst = std::max(worst, std::abs(ours[i + skip] - reference[i]));
    }
    EXPECT_LE(worst, 2);
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
