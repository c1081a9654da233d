// The MP3 writer's options on the command line; the files themselves are
// checked against independent decoders in the writer's own tests.
#include <gtest/gtest.h>

#include <string>

#include "CliRun.h"
#include "WriterTestSupport.h"
#include "stream/RegistryFunctions.h"

namespace {

class Mp3CliTest : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::shell("sox -n -r 44100 -c 2 -b 16 " + quoted(in_) + " synth 3 sine 440");
    }
    CliRun Convert(const std::string& options, const std::filesystem::path& out) {
        return cli("convert " + quoted(in_) + " " + quoted(out) + " " + options);
    }
    mp3::Mp3FrameHeader FirstHeader() {
        size_t end = 0;
        return writertest::Frames(testsupport::readBytes(out_), &end).at(0).header;
    }

    TempSettings settings_;
    testsupport::TempDir dir_;
    const std::filesystem::path in_ = dir_ / "in.wav";
    const std::filesystem::path out_ = dir_ / "out.mp3";
};

// The choice is saved as the property page saves it; "OriginalBit" is for
// the one file only.
TEST_F(Mp3CliTest, SavesTheChoiceLikeThePage) {
    CliRun run = Convert(
        "--bitrate 48 --rate 22050 --channels 1 --quality 2 --original "
        "--copyright",
        out_);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("100%"), std::string::npos) << "progress: " << run.out;
    EXPECT_EQ(nxss::ReadDword("DoZIrodiz\\Mp3Writer", "Quality", 0), 2u);
    EXPECT_EQ(nxss::ReadDword("DoZIrodiz\\Mp3Writer", "OriginalBit", 7), 7u);
    EXPECT_EQ(FirstHeader().original * 2 + FirstHeader().copyright, 3u);

    run = Convert("", out_);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("format: MP3 48Kbps 22050Hz Mono"), std::string::npos) << run.out;
    EXPECT_EQ(FirstHeader().original, 0u);

    ASSERT_EQ(Convert("--vbr 40", out_).exitCode, 0);
    const auto report = testsupport::shell("mpg123 -q -t " + quoted(out_) + " 2>&1");
    EXPECT_TRUE(report.exitCode == 0 && report.out.empty()) << report.out;
}

TEST_F(Mp3CliTest, RefusesWhatThePageDoesNotOffer) {
    for (const char* options :
         {"--vbr 50", "--vbr 60 --bitrate 128", "--rate 32000", "--quality 3"}) {
        const CliRun run = Convert(options, out_);
        EXPECT_EQ(run.exitCode, 2) << options << "\n" << run.out;
    }
    EXPECT_EQ(Convert("--vbr 60", dir_ / "out.wav").exitCode, 2) << "MP3 options on a WAVE output";
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"in.wav"});
}

}  // namespace
