#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CliRun.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

TEST(CliConvert, WritesWmaInTheChosenFormat) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const auto out = (dir / "out.wma").string();
    const CliRun run = cli("convert ::SLNC1500 " + out + " --bitrate 64", false);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "format: WMA 64Kbps 44100Hz Stereo\nStarted\nFinished\n");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"out.wma"});  // no temporary file left

    const std::string info = cli("info " + out).out;
    EXPECT_NE(info.find("kind: WMA\n"), std::string::npos) << info;
    EXPECT_NE(info.find("bitrate: 64000\nsamplerate: 44100\nchannels: 2\n"), std::string::npos);
    EXPECT_NE(info.find("duration: 1500\n"), std::string::npos) << info;
    EXPECT_NE(info.find("フォーマット\tWindows Media Audio\n\t64Kbps 44100Hz\n\tStereo\n"),
              std::string::npos)
        << info;

    const CliRun play = cli("play --device null " + out);
    EXPECT_EQ(play.exitCode, 0);
    EXPECT_EQ(play.out, "Started\nFinished\nposition 1500\n");
}

// A format the encoder cannot produce, or one not offered, writes nothing.
TEST(CliConvert, RefusesFormatsBeforeWriting) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const auto out = (dir / "out.wma").string();
    const CliRun low = cli("convert ::SLNC500 " + out + " --bitrate 5");
    EXPECT_EQ(low.exitCode, 1);
    EXPECT_NE(low.out.find("error 0x83EA0007 "), std::string::npos) << low.out;
    EXPECT_NE(low.out.find("8000Hz Mono"), std::string::npos) << low.out;

    const CliRun odd = cli("convert ::SLNC500 " + out + " --rate 12345");
    EXPECT_EQ(odd.exitCode, 2);
    EXPECT_NE(odd.out.find("160Kbps 44100Hz Stereo"), std::string::npos) << odd.out;
    EXPECT_EQ(cli("convert ::SLNC500 " + out + " --channels 3").exitCode, 2);
    EXPECT_EQ(cli("convert ::SLNC500 " + (dir / "out.xyz").string()).exitCode, 2);
    EXPECT_EQ(cli("convert ::SLNC500").exitCode, 2);
    EXPECT_TRUE(dir.names().empty());
}

TEST(CliTag, WritesAndShowsTheFields) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const auto file = (dir / "song.wma").string();
    ASSERT_EQ(cli("convert ::SLNC500 " + file).exitCode, 0);

    const CliRun write = cli("tag " + file +
                             " --title '夜の歌' --artist Someone --year 2001 --track 3"
                             " --genre rock --comment 'Live'");
    EXPECT_EQ(write.exitCode, 0) << write.out;
    const std::string fields =
        "title: 夜の歌\nartist: Someone\nalbum: \nyear: 2001\ncomment: Live\ntrack: 3\n"
        "genre: 17 (Rock)\n";
    EXPECT_EQ(write.out, fields);
    EXPECT_EQ(cli("tag " + file).out, fields);

    EXPECT_EQ(cli("tag " + file + " --track 9").exitCode, 0);  // the comment stays
    EXPECT_NE(cli("tag " + file).out.find("comment: Live\ntrack: 9\n"), std::string::npos);
    EXPECT_EQ(cli("tag " + file + " --year twenty").exitCode, 2);
    EXPECT_EQ(cli("tag " + file + " --genre NoSuchGenre").exitCode, 2);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"song.wma"});
}

// The stream's wave format tag, 78 bytes into its stream properties object.
void breakCodecTag(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    const std::string streamProperties(
        "\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16);
    const size_t at = bytes.find(streamProperties);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 78] = bytes[at + 79] = '\x7E';
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(CliInfo, FailuresNameTheirCause) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const CliRun missing = cli("info " + (dir / "none.wma").string());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("error 0x83EB0101 ファイルが見つかりません。"), std::string::npos)
        << missing.out;

    const auto file = dir / "odd.wma";
    ASSERT_EQ(cli("convert ::SLNC500 " + file.string()).exitCode, 0);
    breakCodecTag(file);
    const CliRun codec = cli("play --device null " + file.string());
    EXPECT_EQ(codec.exitCode, 1);
    EXPECT_NE(codec.out.find("format tag 0x7E7E"), std::string::npos) << codec.out;
    EXPECT_NE(codec.out.find("error 0x83EA000D"), std::string::npos) << codec.out;
}

}  // namespace
