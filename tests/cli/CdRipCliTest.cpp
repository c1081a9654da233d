#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "CdImage.h"
#include "CliRun.h"
#include "cdinfo/DiscToc.h"
#include "cdinfo/LocalCdDb.h"
#include "support/TempSettings.h"

namespace {

namespace fs = std::filesystem;

// The bytes of a WAVE file's "data" chunk.
std::vector<uint8_t> waveData(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 |
                              static_cast<uint32_t>(bytes[at + 7]) << 24;
        if (std::equal(bytes.begin() + static_cast<long>(at),
                       bytes.begin() + static_cast<long>(at) + 4, "data")) {
            return {
                bytes.begin() + static_cast<long>(at) + 8,
                bytes.begin() + static_cast<long>(std::min<size_t>(at + 8 + size, bytes.size()))};
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

using testsupport::namesIn;

class CdRipCliTest : public ::testing::Test {
  protected:
    CdRipCliTest() : image_(dir_.path(), {{true, 100}, {true, 163}, {false, 80}}) {
        ::setenv("MELODUX_CD_IMAGES", image_.cuePath().c_str(), 1);
        discId_ = cdinfo::freedbDiscId({{150, 250, 413}, 493});
    }
    ~CdRipCliTest() override { ::unsetenv("MELODUX_CD_IMAGES"); }

    void storeTitles(const std::string& artist, const std::string& album,
                     const std::vector<std::string>& titles) {
        cdinfo::CddbEntry entry;
        entry.offsets = {150, 250, 413};
        entry.discSeconds = 493 / 75;
        entry.discIds = {discId_};
        entry.artist = artist;
        entry.title = album;
        for (const std::string& title : titles) {
            entry.tracks.push_back({title, "", ""});
        }
        ASSERT_TRUE(
            cdinfo::LocalCdDb(cdinfo::LocalCdDb::defaultRoot()).store(discId_, entry, "rock"));
    }

    std::vector<cdinfo::CddbTrackState> storedStates() const {
        const auto found =
            cdinfo::LocalCdDb(cdinfo::LocalCdDb::defaultRoot()).find(discId_, {150, 250, 413});
        return found ? found->entry.states : std::vector<cdinfo::CddbTrackState>{};
    }

    std::string rip(const std::string& options) const {
        return "cd rip --to '" + music_.string() + "' " + options;
    }

    TempSettings settings_;
    testsupport::TempDir dir_;
    cdtest::CdImage image_;
    uint32_t discId_ = 0;
    fs::path music_ = dir_ / "music";
};

TEST_F(CdRipCliTest, RipsTracksByteForByteUnderTheirTitlesAndFilesThem) {
    settings_.setDword("Settings", "FileNameType1", 3);  // track number, then title
    settings_.setDword("Settings", "FileNameType2", 2);
    settings_.setDword("Settings", "DirNameType", 2);  // artist/album
    storeTitles("バンド", "ア:ル*バム?", {"一曲目/前編", "Two \"live\"", "Data"});

    const CliRun run = cli(rip(""), false);
    ASSERT_EQ(run.exitCode, 0);
    const fs::path album = music_ / "バンド" / "ア_ル_バム_";
    const fs::path first = album / "01 - 一曲目_前編.wav", second = album / "02 - Two _live_.wav";
    EXPECT_EQ(run.out, "1\t" + first.string() + "\n2\t" + second.string() + "\n");
    EXPECT_EQ(namesIn(album), (std::vector<std::string>{first.filename(), second.filename()}));
    EXPECT_EQ(waveData(first), image_.trackBytes(1));
    EXPECT_EQ(waveData(second), image_.trackBytes(2));

    const std::string library = cli("library list", false).out;
    EXPECT_NE(library.find(first.string() + "\t一曲目/前編\tバンド\tア:ル*バム?\t"),
              std::string::npos)
        << library;
    EXPECT_NE(library.find(second.string() + "\tTwo \"live\"\t"), std::string::npos);
    const auto states = storedStates();
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states[1].state, 2);
    EXPECT_EQ(states[1].path, second.string());

    // Ripped already: left alone unless named.
    const CliRun again = cli(rip(""));
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.out.find("0 ripped, 2 skipped, 0 failed"), std::string::npos) << again.out;
    EXPECT_EQ(cli(rip("--tracks 2"), false).out, "2\t" + second.string() + "\n");
}

TEST_F(CdRipCliTest, RefusesBadTrackListsDataTracksAndFormats) {
    const std::pair<const char*, const char*> cases[] = {
        {"--tracks 3", "track 3 is a data track"},
        {"--tracks 1,4", "no track 4"},
        {"--format flac", "unknown format 'flac'"},
    };
    for (const auto& [options, message] : cases) {
        const CliRun run = cli(rip(options));
        EXPECT_EQ(run.exitCode, 2) << options;
        EXPECT_NE(run.out.find(message), std::string::npos) << run.out;
    }
    EXPECT_FALSE(fs::exists(music_));
}

TEST_F(CdRipCliTest, AFailingTargetLeavesNothingAndTheOtherTracksGoOn) {
    const fs::path album = music_ / cdinfo::discIdText(discId_);
    fs::create_directories(album / "Track01.wav");  // a folder where the file should go
    const CliRun run = cli(rip("--tracks 1,2"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("track 1/3: error 0x"), std::string::npos) << run.out;
    EXPECT_EQ(namesIn(album), (std::vector<std::string>{"Track01.wav", "Track02.wav"}));
    EXPECT_TRUE(fs::is_empty(album / "Track01.wav"));
    const std::string library = cli("library list", false).out;
    EXPECT_EQ(library.find("Track01.wav"), std::string::npos);
    EXPECT_NE(library.find("Track02.wav"), std::string::npos);
    EXPECT_EQ(storedStates().at(0).state, 3);

    std::ofstream(dir_ / "file") << "x";
    const CliRun blocked = cli("cd rip --to '" + (dir_ / "file" / "sub").string() + "'");
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_NE(blocked.out.find("cannot make the folder"), std::string::npos) << blocked.out;
}

TEST_F(CdRipCliTest, FormatComesFromTheOptionElseTheRecordingSetting) {
    settings_.setDword("Settings", "CurrentWriter", 16);
    ASSERT_EQ(cli(rip("--tracks 1")).exitCode, 0);
    const fs::path album = music_ / cdinfo::discIdText(discId_);
    EXPECT_TRUE(fs::exists(album / "Track01.wma"));

    // MP3 needs the encoder; without it the command says so and writes nothing.
    const CliRun mp3 = cli(rip("--tracks 2 --format mp3"));
    if (mp3.exitCode == 0) {
        EXPECT_TRUE(fs::exists(album / "Track02.mp3"));
    } else {
        EXPECT_NE(mp3.out.find("cannot write files of that format"), std::string::npos) << mp3.out;
        EXPECT_EQ(namesIn(album), std::vector<std::string>{"Track01.wma"});
    }
}
// A disc whose sheet numbers its tracks from 5: `cd toc`, `cd play`, the
// track list and the file names all use those numbers.
TEST_F(CdRipCliTest, TracksGoByTheDiscsOwnNumbers) {
    const fs::path five = dir_.path() / "five";
    fs::create_directory(five);
    const cdtest::CdImage image(five, {{true, 75}, {true, 90}});
    std::ofstream(image.cuePath()) << "FILE \"disc.bin\" BINARY\n"
                                      "  TRACK 05 AUDIO\n    INDEX 01 00:00:00\n"
                                      "  TRACK 06 AUDIO\n    INDEX 01 00:01:00\n";
    ::setenv("MELODUX_CD_IMAGES", image.cuePath().c_str(), 1);

    const std::string toc = cli("cd toc").out;
    EXPECT_NE(toc.find("\n5\taudio\t0\t75\t"), std::string::npos) << toc;
    EXPECT_NE(toc.find("\n6\taudio\t75\t90\t"), std::string::npos) << toc;
    EXPECT_EQ(cli("cd play --device null").out,
              "Title:D:\\Track5.cda\nStarted\nFollowed\n"
              "Title:D:\\Track6.cda\nFinished\nposition 1000\n");  // one disc, no break
    const CliRun run = cli(rip("--tracks 6"), false);
    ASSERT_EQ(run.exitCode, 0);
    const fs::path track =
        music_ / cdinfo::discIdText(cdinfo::freedbDiscId({{150, 225}, 315})) / "Track06.wav";
    EXPECT_EQ(run.out, "6\t" + track.string() + "\n");
    EXPECT_EQ(waveData(track), image.trackBytes(2));

    const CliRun one = cli(rip("--tracks 1"));
    EXPECT_EQ(one.exitCode, 2);
    EXPECT_NE(one.out.find("the disc has no track 1 (it has 5-6)"), std::string::npos) << one.out;
}

// Its one track would otherwise "rip" into an empty file, reported done.
TEST_F(CdRipCliTest, AnImageWithAnEmptyDataFileRipsNothing) {
    const fs::path empty = dir_.path() / "empty";
    fs::create_directory(empty);
    const cdtest::CdImage image(empty, {{true, 75}});
    fs::resize_file(empty / "disc.bin", 0);
    ::setenv("MELODUX_CD_IMAGES", image.cuePath().c_str(), 1);
    const CliRun run = cli(rip(""));
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.out.find("no audio disc in D:"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(music_));
}

}  // namespace
