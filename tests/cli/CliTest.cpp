#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/TempSettings.h"

namespace {

struct CliRun {
    int exitCode;
    std::string out;
};

// Runs melodux-cli through the shell with the test's private settings;
// without errors only standard output is kept.
CliRun cli(const std::string& arguments, bool withErrors = true) {
    TempSettings::folder();  // exports the private settings folders
    const std::string command =
        std::string(MELODUX_CLI) + " " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = ::popen(command.c_str(), "r");
    CliRun run{-1, {}};
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

TEST(CliPlay, SilencePlaysToTheNullDeviceAndFinishes) {
    TempSettings settings;
    const CliRun run = cli("play --device null ::SLNC300");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Started\nFinished\nposition 300\n");
}

TEST(CliPlay, FileDeviceWritesExactlyWhatWasHeard) {
    TempSettings settings;
    const auto wav = TempSettings::folder() / "out.wav";
    const CliRun run = cli("play --device file:" + wav.string() + " ::SLNC2000");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const std::string bytes = readFile(wav);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(bytes, 24), 44100u);                          // samples per second
    EXPECT_EQ(bytes.substr(22, 2), std::string("\x02\x00", 2));  // channels
    EXPECT_EQ(bytes.substr(34, 2), std::string("\x10\x00", 2));  // bits
    const size_t data = bytes.find("data");
    ASSERT_NE(data, std::string::npos);
    EXPECT_EQ(le32(bytes, data + 4), 352800u);
    EXPECT_EQ(bytes.size(), data + 8 + 352800);
    EXPECT_EQ(bytes.find_first_not_of('\0', data + 8), std::string::npos);
}

TEST(CliPlay, UnknownSourcesReportTheDecoderError) {
    TempSettings settings;
    const CliRun run = cli("play --device null ::SLN");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.out, "error 0x83EA000D このファイルを処理するデコーダが見つかりません。\n");
    EXPECT_EQ(cli("play --device bogus ::SLNC10").exitCode, 2);
}

TEST(CliErrtext, PrintsTheMessageTextOfACode) {
    EXPECT_EQ(cli("errtext 83EB0108").out, "\n");
    EXPECT_EQ(cli("errtext 83EA0008").out, "未定義のエラーが発生しました。\n");
    EXPECT_EQ(cli("errtext 0x83EA0065").out, "サウンドデバイスがありません。\n");
    EXPECT_EQ(cli("errtext zz").exitCode, 2);
}

TEST(CliConfig, SetsGetsListsAndDeletesUserValues) {
    TempSettings settings;
    settings.setMachineDword("DoZIrodiz\\WaveOut", "DeviceID", 2);
    EXPECT_EQ(cli("config set 'DoZIrodiz\\WaveOut' Blocks 8").exitCode, 0);
    EXPECT_EQ(cli("config set Settings Skin Classic --string").exitCode, 0);
    EXPECT_EQ(cli("config set 'DoZIrodiz\\WaveWriter' WaveType 0100 --binary-hex").exitCode, 0);
    EXPECT_EQ(cli("config get 'DoZIrodiz\\WaveOut' blocks").out, "blocks = dword 8 (8) (user)\n");
    EXPECT_EQ(cli("config get 'DoZIrodiz\\WaveOut' DeviceID").out,
              "DeviceID = dword 2 (2) (machine)\n");
    EXPECT_EQ(cli("config list 'DoZIrodiz\\WaveOut'").out,
              "[DoZIrodiz\\WaveOut]\nBlocks = dword 8 (8) (user)\n"
              "DeviceID = dword 2 (2) (machine)\n");
    const std::string all = cli("config list").out;
    EXPECT_NE(all.find("[Settings]\nSkin = string \"Classic\" (user)\n"), std::string::npos);
    EXPECT_NE(all.find("WaveType = binary 0100 (user)"), std::string::npos);

    EXPECT_EQ(cli("config delete 'DoZIrodiz\\WaveOut' Blocks").exitCode, 0);
    EXPECT_EQ(cli("config get 'DoZIrodiz\\WaveOut' Blocks").exitCode, 1);
    EXPECT_EQ(cli("config set Settings X 12x").exitCode, 2);
    EXPECT_EQ(cli("config set Settings X 0g --binary-hex").exitCode, 2);
}

// A fresh folder for one test's music files.
std::filesystem::path musicFolder(const std::string& name) {
    const auto dir = TempSettings::folder() / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

size_t fileCount(const std::filesystem::path& dir) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(CliConvert, WritesWmaInTheChosenFormat) {
    TempSettings settings;
    const auto dir = musicFolder("convert");
    const auto out = (dir / "out.wma").string();
    const CliRun run = cli("convert ::SLNC1500 " + out + " --bitrate 64", false);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "format: WMA 64Kbps 44100Hz Stereo\nStarted\nFinished\n");
    EXPECT_EQ(fileCount(dir), 1u);  // no temporary file left

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
    const auto dir = musicFolder("refuse");
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
    EXPECT_EQ(fileCount(dir), 0u);
}

TEST(CliTag, WritesAndShowsTheFields) {
    TempSettings settings;
    const auto dir = musicFolder("tag");
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
    EXPECT_EQ(fileCount(dir), 1u);
}

// The stream's wave format tag, 78 bytes into its stream properties object.
void breakCodecTag(const std::filesystem::path& file) {
    std::string bytes = readFile(file);
    const std::string streamProperties(
        "\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16);
    const size_t at = bytes.find(streamProperties);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 78] = bytes[at + 79] = '\x7E';
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(CliInfo, FailuresNameTheirCause) {
    TempSettings settings;
    const auto dir = musicFolder("fail");
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
