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
    void SetUp() override { Shell("sox -n -r 44100 -c 2 -b 16 " + in_ + " synth 3 sine 440"); }
    // melodux-cli with the test's settings, converting in.wav; its output.
    std::string Convert(const std::string& options, int* exitCode, std::string out = "") {
        TempSettings::folder();
        out = out.empty() ? out_ : out;
        return Shell(
            std::string(MELODUX_CLI) + " convert " + in_ + " " + out + " " + options + " 2>&1",
            exitCode);
    }

    TempSettings settings_;
    testsupport::TempDir dir_;
    const std::string in_ = (dir_ / "in.wav").string();
    const std::string out_ = (dir_ / "out.mp3").string();
};

// mpg123 plays the file without a complaint, and as long as the source.
TEST_F(Mp3CliTest, ConvertsWaveToMp3ThatMpg123PlaysCleanly) {
    for (const std::string options : {"--bitrate 192 --quality 1 --copyright", "--vbr 40"}) {
        int rc = -1;
        const std::string out = Convert(options, &rc);
        ASSERT_EQ(rc, 0) << out;
        EXPECT_NE(out.find("100%"), std::string::npos) << "progress: " << out;
        const std::string decoded = (dir_ / "decoded.wav").string();
        const std::string report = Shell("mpg123 -w " + decoded + " " + out_ + " 2>&1", &rc);
        EXPECT_EQ(rc, 0);
        for (const char* complaint : {"error", "arning", "Note:", "Frankenstein"}) {
            EXPECT_EQ(report.find(complaint), std::string::npos) << options << "\n" << report;
        }
        EXPECT_NEAR(std::atof(Shell("soxi -D " + decoded).c_str()), 3.05, 0.05) << options;
    }
}

// The choice is saved as the property page saves it; "OriginalBit" is for
// the one file only.
TEST_F(Mp3CliTest, SavesTheChoiceLikeThePage) {
    int rc = -1;
    Convert("--bitrate 48 --rate 22050 --channels 1 --quality 2 --original", &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(nxss::ReadDword("DoZIrodiz\\Mp3Writer", "Quality", 0), 2u);
    EXPECT_EQ(nxss::ReadDword("DoZIrodiz\\Mp3Writer", "OriginalBit", 7), 7u);
    size_t end = 0;
    EXPECT_EQ(Frames(ReadBytes(out_), &end).at(0).header.original, 1u);

    const std::string out = Convert("", &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_NE(out.find("format: MP3 48Kbps 22050Hz Mono"), std::string::npos) << out;
    EXPECT_EQ(Frames(ReadBytes(out_), &end).at(0).header.original, 0u);
}

TEST_F(Mp3CliTest, RefusesWhatThePageDoesNotOffer) {
    for (const char* options :
         {"--vbr 50", "--vbr 60 --bitrate 128", "--rate 32000", "--quality 3"}) {
        int rc = -1;
        const std::string out = Convert(options, &rc);
        EXPECT_EQ(rc, 2) << options << "\n" << out;
    }
    int rc = -1;
    Convert("--vbr 60", &rc, (dir_ / "out.wav").string());
    EXPECT_EQ(rc, 2) << "MP3 options on a WAVE output";
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"in.wav"});
}

}  // namespace
