#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "ReaderTestSupport.h"
#include "cli/CliRun.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using mp3test::bytesOf;

class Mp3CommandsCliTest : public testing::Test {
  protected:
    void SetUp() override {
        setenv("MELODUX_AUDIO", "null", 1);
        ASSERT_EQ(std::system(("sox -n -r 44100 -c 2 -b 16 " + (dir_ / "in.wav").string() +
                               " synth 0.5 sine 440 sine 660")
                                  .c_str()),
                  0);
    }
    // The test tone through lame with its options.
    std::string Lame(const std::string& options, const std::string& name) {
        const std::string out = (dir_ / name).string();
        const std::string command =
            "lame --quiet " + options + " " + (dir_ / "in.wav").string() + " " + out;
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return out;
    }

    TempSettings settings_;
    testsupport::TempDir dir_;
};

// Free-format streams (200 and 400 kbit/s, longer frames than any fixed
// rate allows) go through every command that reads MP3.
TEST_F(Mp3CommandsCliTest, FreeFormatStreamsDecodePlayConvertAndShow) {
    for (const int kbps : {200, 400}) {
        const std::string in = Lame("--freeformat -b " + std::to_string(kbps), "free.mp3");
        const std::string raw = (dir_ / "ours.raw").string();
        const CliRun decoded = cli("decode " + in + " " + raw);
        ASSERT_EQ(decoded.exitCode, 0) << decoded.out;
        const std::string reference = (dir_ / "reference.raw").string();
        ASSERT_EQ(std::system(("mpg123 -q --no-gapless -s " + in + " > " + reference).c_str()), 0);
        const auto ours = mp3test::asPcm16(bytesOf(raw));
        const auto theirs = mp3test::asPcm16(bytesOf(reference));
        ASSERT_EQ(ours.size(), theirs.size()) << kbps;
        for (size_t i = 0; i < ours.size(); ++i) {
            ASSERT_NEAR(ours[i], theirs[i], 1) << kbps << " kbit/s at sample " << i;
        }

        const CliRun info = cli("info " + in);
        ASSERT_EQ(info.exitCode, 0) << info.out;
        EXPECT_NE(info.out.find("mp3.bitrate: " + std::to_string(kbps - 1)), std::string::npos)
            << info.out;
        EXPECT_NE(info.out.find("mp3.duration_ms: 5"), std::string::npos) << info.out;
        const CliRun played = cli("play " + in);
        EXPECT_EQ(played.exitCode, 0) << played.out;
        const CliRun converted = cli("convert " + in + " " + (dir_ / "out.wav").string());
        EXPECT_EQ(converted.exitCode, 0) << converted.out;
    }
}

// A write that fails ends the command with an error and leaves no target,
// on a device as on a full file system (here a file-size limit).
TEST_F(Mp3CommandsCliTest, DecodeFailsOnWriteErrors) {
    const std::string in = Lame("-b 128", "a.mp3");
    const CliRun full = cli("decode " + in + " /dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.out.find("No space left on device"), std::string::npos) << full.out;
    for (const char* name : {"out.wav", "out.raw"}) {
        const std::string out = (dir_ / name).string();
        ASSERT_EQ(cli("decode " + in + " " + out).exitCode, 0);
        const auto complete = bytesOf(out);
        const std::string errors = (dir_ / "errors.txt").string();
        const int status =
            std::system(("(trap '' XFSZ; ulimit -f 16; exec " + std::string(MELODUX_CLI) +
                         " decode " + in + " " + out + ") 2> " + errors)
                            .c_str());
        EXPECT_EQ(WEXITSTATUS(status), 1) << name;
        const auto text = bytesOf(errors);
        EXPECT_NE(std::string(text.begin(), text.end()).find("cannot write"), std::string::npos);
        EXPECT_EQ(bytesOf(out), complete) << "the earlier file stays as it was";
        for (const std::string& left : dir_.names()) {
            EXPECT_EQ(left.find(".tmp"), std::string::npos) << left;
        }
    }
}

// An output that is the input under any name is refused before anything is
// written.
TEST_F(Mp3CommandsCliTest, DecodeRefusesToOverwriteItsInput) {
    const std::string in = Lame("-b 128", "a.mp3");
    const auto before = bytesOf(in);
    ASSERT_EQ(::symlink(in.c_str(), (dir_ / "link.mp3").c_str()), 0);
    ASSERT_EQ(::link(in.c_str(), (dir_ / "hard.mp3").c_str()), 0);
    for (const std::string& out : {in, (dir_ / "link.mp3").string(), (dir_ / "hard.mp3").string(),
                                   (dir_ / "." / "a.mp3").string()}) {
        const CliRun run = cli("decode " + in + " " + out);
        EXPECT_EQ(run.exitCode, 2) << out;
        EXPECT_NE(run.out.find("the output is the input"), std::string::npos) << run.out;
    }
    EXPECT_EQ(bytesOf(in), before);
}

}  // namespace
