#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "CliRun.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

// A two-second 1 kHz tone in the given format, made by ffmpeg.
std::filesystem::path makeTone(const testsupport::TempDir& dir, const std::string& name,
                               const std::string& codec) {
    const auto path = dir / name;
    const auto run = testsupport::shell(
        "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=1000:sample_rate=44100:duration=2"
        " -ac 2 -metadata title=Tone -metadata artist=Maker " +
        codec + " " + quoted(path) + " 2>&1");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    return path;
}

TEST(CliMedia, OtherFormatsPlayShowTheirFactsAndTakeTags) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const auto opus = makeTone(dir, "tone.opus", "-c:a libopus -b:a 96k");
    const std::string info = cli("info " + quoted(opus)).out;
    EXPECT_NE(info.find("kind: media\n"), std::string::npos) << info;
    EXPECT_NE(info.find("title: Tone\n"), std::string::npos) << info;
    EXPECT_NE(info.find("samplerate: 48000\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Opus"), std::string::npos) << info;

    const CliRun play = cli("play --device null " + quoted(opus));
    EXPECT_EQ(play.exitCode, 0) << play.out;
    EXPECT_NE(play.out.find("Finished\n"), std::string::npos) << play.out;

    const auto m4a = makeTone(dir, "tone.m4a", "-c:a aac -b:a 128k");
    EXPECT_EQ(cli("tag " + quoted(m4a) + " --title 'Ein Lied' --track 4").exitCode, 0);
    const std::string fields = cli("tag " + quoted(m4a)).out;
    EXPECT_NE(fields.find("title: Ein Lied\nartist: Maker\n"), std::string::npos) << fields;
    EXPECT_NE(fields.find("track: 4\n"), std::string::npos) << fields;

    // A folder of them goes into the library with their tags.
    const std::string db = quoted(dir / "db");
    EXPECT_EQ(cli("library --db " + db + " add " + quoted(dir.path())).out,
              "2 added, 0 already in the library, 0 failed\n");
    const std::string list = cli("library --db " + db + " list").out;
    EXPECT_NE(list.find(opus.string() + "\tTone\tMaker\t"), std::string::npos) << list;
    EXPECT_NE(list.find(m4a.string() + "\tEin Lied\tMaker\t"), std::string::npos) << list;
}

// FLAC to WAVE is exact; to MP3 and back keeps the tone and its length.
TEST(CliMedia, FilesConvertToTheWritersFormats) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const auto flac = makeTone(dir, "tone.flac", "-c:a flac");
    const auto wav = dir / "tone.wav";
    ASSERT_EQ(cli("convert " + quoted(flac) + " " + quoted(wav)).exitCode, 0);
    const auto reference = dir / "reference.wav";
    ASSERT_EQ(testsupport::shell("ffmpeg -nostdin -v error -i " + quoted(flac) +
                                 " -c:a pcm_s16le -map_metadata -1 -f s16le " + quoted(reference))
                  .exitCode,
              0);
    const std::string pcm = readText(reference);
    const std::string ours = readText(wav);
    ASSERT_GE(ours.size(), pcm.size());
    EXPECT_EQ(ours.substr(ours.size() - pcm.size()), pcm);  // the data chunk ends the file

    const auto mp3 = dir / "tone.mp3";
    ASSERT_EQ(cli("convert " + quoted(flac) + " " + quoted(mp3)).exitCode, 0);
    const std::string info = cli("info " + quoted(mp3)).out;
    EXPECT_NE(info.find("kind: ID3v1\n"), std::string::npos) << info;
    const auto duration = info.find("duration: ");
    ASSERT_NE(duration, std::string::npos) << info;
    EXPECT_NEAR(std::atoi(info.c_str() + duration + 10), 2000, 60) << info;
}

}  // namespace
