#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "WriterTestSupport.h"
#include "stream/RegistryFunctions.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using namespace writertest;

class Mp3CliTest : public testing::Test {
  protected:
    void SetUp() override {
        const auto wave = AsWave(Tone(44100, 2, 3.0));
        WriteBytes(input_, std::string(wave.begin(), wave.end()));
    }
    // melodux-cli with the test's settings; standard output and errors.
    std::string Cli(const std::string& arguments, int* exitCode) {
        TempSettings::folder();
        return Shell(std::string(MELODUX_CLI) + " " + arguments + " 2>&1", exitCode);
    }

    TempSettings settings_;
    testsupport::TempDir dir_;
    const std::filesystem::path input_ = dir_ / "in.wav";
    const std::filesystem::path output_ = dir_ / "out.mp3";
};

// mpg123 plays our files without a complaint, and as long as the source.
TEST_F(Mp3CliTest, ConvertsWaveToMp3ThatMpg123PlaysCleanly) {
    for (const std::string options : {"--bitrate 192 --quality 1 --copyright", "--vbr 40"}) {
        int rc = -1;
        const std::string out =
            Cli("convert " + input_.string() + " " + output_.string() + " " + options, &rc);
        ASSERT_EQ(rc, 0) << out;
        EXPECT_NE(out.find("Finished"), std::string::npos) << out;
        EXPECT_NE(out.find("100%"), std::string::npos) << "progress: " << out;
        const std::string decoded = (dir_ / "decoded.wav").string();
        const std::string report =
            Shell("mpg123 -w " + decoded + " " + output_.string() + " 2>&1", &rc);
        EXPECT_EQ(rc, 0);
        for (const char* complaint : {"error", "warning", "Warning", "Note:", "Frankenstein"}) {
            EXPECT_EQ(report.find(complaint), std::string::npos) << options << "\n" << report;
        }
        const double seconds = std::atof(Shell("soxi -D " + decoded).c_str());
        EXPECT_GE(seconds, 3.0) << options;
        EXPECT_LT(seconds, 3.1) << options;
    }
    EXPECT_EQ(dir_.names(), (std::vector<std::string>{"decoded.wav", "in.wav", "out.mp3"}));
}

// The choice is saved as the property page saves it: a later conversion
// without options uses it; "OriginalBit" is for the one file only.
TEST_F(Mp3CliTest, SavesTheChoiceLikeThePage) {
    int rc = -1;
    Cli("convert " + input_.string() + " " + output_.string() +
            " --bitrate 48 --rate 22050 --channels 1 --quality 2 --original",
        &rc);
    ASSERT_EQ(rc, 0);
    constexpr std::string_view kKey = "DoZIrodiz\\Mp3Writer";
    EXPECT_EQ(nxss::ReadDword(kKey, "Bitrate", 0), 48000u);
    EXPECT_EQ(nxss::ReadDword(kKey, "Quality", 0), 2u);
    EXPECT_EQ(nxss::ReadDword(kKey, "OriginalBit", 7), 7u);
    const auto first = Frames(ReadBytes(output_));
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0].header.original, 1u);

    const std::string out = Cli("convert " + input_.string() + " " + output_.string(), &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_NE(out.find("format: MP3 48Kbps 22050Hz Mono"), std::string::npos) << out;
    const auto second = Frames(ReadBytes(output_));
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(second[0].header.sampleRate, 22050u);
    EXPECT_EQ(second[0].header.original, 0u);
}

TEST_F(Mp3CliTest, RefusesWhatThePageDoesNotOffer) {
    const char* cases[] = {
        "--vbr 50",                // not one of the five qualities
        "--vbr 60 --bitrate 128",  // VBR has no fixed format
        "--rate 32000",            // does not divide 44100 Hz
        "--quality 3",
    };
    for (const char* options : cases) {
        int rc = -1;
        const std::string out =
            Cli("convert " + input_.string() + " " + output_.string() + " " + options, &rc);
        EXPECT_EQ(rc, 2) << options << "\n" << out;
    }
    int rc = -1;
    Cli("convert " + input_.string() + " " + (dir_ / "out.wav").string() + " --vbr 60", &rc);
    EXPECT_EQ(rc, 2) << "MP3 options on a WAVE output";
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"in.wav"});
}

}  // namespace
