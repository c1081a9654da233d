#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CliRun.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

std::string mp3Fixture(const std::string& name) {
    return (std::filesystem::path(MP3_FIXTURE_DIR) / name).string();
}

std::vector<float> floatsOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<float> floats(bytes.size() / 4);
    std::memcpy(floats.data(), bytes.data(), floats.size() * 4);
    return floats;
}

// 24 frames of 1152 stereo 16-bit samples, all decoded.
constexpr uintmax_t kJointPcmBytes = 24 * 4608;
// What plays of them behind the 44-byte WAVE header: the LAME tag's delay
// (576 + 529 decoded samples) and padding (612 - 529) are cut off.
constexpr uintmax_t kJointPlayedBytes = 44 + kJointPcmBytes - (1105 + 83) * 4;

TEST(CliMp3, PlaysFromTheStartAndFromASeek) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const auto whole = dir / "whole.wav";
    const CliRun play =
        cli("play --device file:" + whole.string() + " " + mp3Fixture("v1_44k_joint_128.mp3"));
    ASSERT_EQ(play.exitCode, 0) << play.out;
    EXPECT_EQ(std::filesystem::file_size(whole), kJointPlayedBytes);

    const auto part = dir / "part.wav";
    ASSERT_EQ(cli("play --seek 300 --device file:" + part.string() + " " +
                  mp3Fixture("v1_44k_joint_128.mp3"))
                  .exitCode,
              0);
    // 300 ms past the first real sample lies in frame 12; it plays from the
    // frame's start, and nothing before it is heard.
    EXPECT_EQ(std::filesystem::file_size(part), 44 + ((24 - 12) * 1152 - 83) * 4);
}

TEST(CliMp3, InfoShowsTheRecordTagAndSummary) {
    TempSettings settings;
    const CliRun info = cli("info " + mp3Fixture("v1_44k_vbr_xing.mp3"));
    ASSERT_EQ(info.exitCode, 0) << info.out;
    for (const char* expected :
         {"kind: ID3v1\n", "title: v1_44k_vbr_xing.mp3\n", "mp3.layer: 3\n",
          "mp3.sample_rate: 44100\n", "mp3.vbr_header: 1\n", "mp3.seekable: 1\n",
          "バージョン\tMPEG-1 Layer-3\n", "フォーマット\tVBR (av. "}) {
        EXPECT_NE(info.out.find(expected), std::string::npos) << expected << "\n" << info.out;
    }
    const testsupport::TempDir dir;
    const CliRun layer2 =
        cli("info " + mp3Fixture("layer2.mp2") + " " + (dir / "none.mp3").string());
    EXPECT_EQ(layer2.exitCode, 1);
}

TEST(CliMp3, TagIsAppendedThenRewritten) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const auto file = dir / "song.mp3";
    std::filesystem::copy_file(mp3Fixture("v1_44k_joint_128.mp3"), file);
    const auto size = std::filesystem::file_size(file);
    const CliRun write =
        cli("tag " + file.string() + " --title '夜の歌' --artist Someone --year 2001 --track 3");
    ASSERT_EQ(write.exitCode, 0) << write.out;
    EXPECT_EQ(std::filesystem::file_size(file), size + 128);
    ASSERT_EQ(cli("tag " + file.string() + " --album Best").exitCode, 0);
    EXPECT_EQ(std::filesystem::file_size(file), size + 128);
    const std::string shown = cli("tag " + file.string()).out;
    EXPECT_NE(shown.find("title: 夜の歌\nartist: Someone\nalbum: Best\nyear: 2001\n"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("track: 3\n"), std::string::npos) << shown;
    EXPECT_EQ(dir.names(), std::vector<std::string>{"song.mp3"});
}

TEST(CliMp3, TagSaysWhichFilesTakeTags) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const auto wave = dir / "song.wav";
    ASSERT_EQ(cli("decode " + mp3Fixture("v1_44k_joint_128.mp3") + " " + wave.string()).exitCode,
              0);
    const auto size = std::filesystem::file_size(wave);
    const CliRun run = cli("tag " + wave.string() + " --title T");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("tags are written to MP3 and WMA files only"), std::string::npos)
        << run.out;
    EXPECT_EQ(std::filesystem::file_size(wave), size);
}

TEST(CliMp3, DecodesToWaveRawAndFloat) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const std::string in = mp3Fixture("v1_44k_vbr_xing.mp3");
    ASSERT_EQ(cli("decode " + in + " " + (dir / "a.wav").string()).exitCode, 0);
    EXPECT_EQ(std::filesystem::file_size(dir / "a.wav"), 44 + kJointPcmBytes);
    ASSERT_EQ(cli("decode " + in + " " + (dir / "a.pcm").string()).exitCode, 0);
    EXPECT_EQ(std::filesystem::file_size(dir / "a.pcm"), kJointPcmBytes);
    EXPECT_EQ(cli("decode " + in + " -", false).out.size(), kJointPcmBytes);

    // The float output is the decoder's, at 16-bit scale: within the
    // accuracy limit of the reference decode.
    ASSERT_EQ(cli("decode --float " + in + " " + (dir / "a.f32").string()).exitCode, 0);
    const auto ours = floatsOf(dir / "a.f32");
    const auto ref = floatsOf(mp3Fixture("v1_44k_vbr_xing.f32"));
    ASSERT_EQ(ours.size(), ref.size());
    for (size_t i = 0; i < ours.size(); ++i) {
        ASSERT_NEAR(ours[i] / 32768.0, ref[i], 1.0 / 16384) << i;
    }

    ASSERT_EQ(
        cli("decode --quality 1 --resolution 1 --downmix 1 " + in + " " + (dir / "q.pcm").string())
            .exitCode,
        0);
    EXPECT_EQ(std::filesystem::file_size(dir / "q.pcm"), kJointPcmBytes / 8);
}

TEST(CliMp3, DecodeRefusesWhatIsNotLayer3) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const CliRun layer2 = cli("decode " + mp3Fixture("layer2.mp2") + " " + (dir / "x").string());
    EXPECT_EQ(layer2.exitCode, 1);
    EXPECT_NE(layer2.out.find("error 0xC1010002"), std::string::npos) << layer2.out;
    { std::ofstream empty(dir / "empty.mp3"); }
    const CliRun none = cli("decode " + (dir / "empty.mp3").string() + " " + (dir / "y").string());
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.out.find("error 0x81010004"), std::string::npos) << none.out;
    EXPECT_EQ(cli("decode --quality 7 a b").exitCode, 2);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"empty.mp3"});
}

}  // namespace
