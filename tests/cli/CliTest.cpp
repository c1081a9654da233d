#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CliRun.h"
#include "support/TempSettings.h"

namespace {

uint32_t le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

TEST(CliPlay, SilencePlaysToTheEndAndUnknownSourcesReportTheDecoderError) {
    TempSettings settings;
    const CliRun run = cli("play --device null ::SLNC300");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Started\nFinished\nposition 300\n");
    const CliRun unknown = cli("play --device null ::SLN");
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_EQ(unknown.out, "error 0x83EA000D このファイルを処理するデコーダが見つかりません。\n");
    EXPECT_EQ(cli("play --device bogus ::SLNC10").exitCode, 2);
}

TEST(CliPlay, FileDeviceWritesExactlyWhatWasHeard) {
    TempSettings settings;
    const auto wav = TempSettings::folder() / "out.wav";
    const CliRun run = cli("play --device file:" + wav.string() + " ::SLNC2000");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const std::string bytes = readText(wav);
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

}  // namespace
