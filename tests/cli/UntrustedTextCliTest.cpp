// Text from files and CDDB servers on the terminal (see cli/TerminalText).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../cdinfo/CddbTestServer.h"
#include "CdImage.h"
#include "CliRun.h"
#include "cdinfo/DiscToc.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// Sets the terminal's title and clears the screen.
constexpr std::string_view kHostile = "\x1B]0;owned\x07\x1B[2J";

// What `info` prints of a file whose ID3v1 title carries escape sequences.
TEST(UntrustedTextCli, InfoEscapesTagTexts) {
    testsupport::TempDir dir;
    const fs::path mp3 = dir.path() / "tagged.mp3";
    fs::copy_file(fs::path(MP3_FIXTURE_DIR) / "v1_44k_vbr_xing.mp3", mp3);
    std::string tag = "TAG" + std::string(kHostile);
    tag.resize(128, '\0');
    tag[127] = static_cast<char>(255);
    std::ofstream(mp3, std::ios::binary | std::ios::app) << tag;

    const CliRun info = cli("info " + mp3.string());
    EXPECT_EQ(info.exitCode, 0) << info.out;
    EXPECT_EQ(info.out.find('\x1B'), std::string::npos);
    EXPECT_NE(info.out.find("title: \\x1B]0;owned\\x07\\x1B[2J\n"), std::string::npos) << info.out;
}

TEST(UntrustedTextCli, LibraryListEscapesTexts) {
    testsupport::TempDir dir;
    const fs::path song = dir.path() / "song.mp3";
    std::ofstream(song) << "not really sound";
    const fs::path csv = dir.path() / "in.csv";
    std::ofstream(csv) << song.string() << ",Title" << kHostile
                       << ",Artist,Album,17,,1999,1,0,0,0\n";
    const std::string db = "library --db " + (dir.path() / "db").string();
    ASSERT_EQ(cli(db + " import " + csv.string()).exitCode, 0);

    const CliRun list = cli(db + " list", false);
    EXPECT_EQ(list.out.find('\x1B'), std::string::npos);
    EXPECT_NE(list.out.find("\tTitle\\x1B]0;owned\\x07\\x1B[2J\tArtist\t"), std::string::npos)
        << list.out;
}

// A CDDB reply's controls are dropped before the entry is cached; the C1
// controls that are left are escaped when printed.
TEST(UntrustedTextCli, CddbLookupNeverPrintsOrCachesControls) {
    TempSettings settings;
    testsupport::TempDir dir;
    const cdtest::CdImage image(dir.path(), {{true, 100}});
    ::setenv("MELODUX_CD_IMAGES", image.cuePath().c_str(), 1);
    const std::string id = cdinfo::discIdText(cdinfo::freedbDiscId({{150}, 250}));
    cdtest::CddbTestServer server([&](const cdtest::HttpRequest& r) -> cdtest::HttpReply {
        if (r.command().size() >= 2 && r.command()[1] == "query") {
            return {200, "200 rock " + id + " Band / Album\r\n"};
        }
        return {200, "210 rock " + id + " entry follows\r\nDISCID=" + id + "\r\nDTITLE=Band" +
                         std::string(kHostile) + " / Album\r\nTTITLE0=One\xC2\x9B" + "2J\r\n.\r\n"};
    });

    const CliRun lookup = cli("cddb lookup --server " + server.url());
    ::unsetenv("MELODUX_CD_IMAGES");
    ASSERT_EQ(lookup.exitCode, 0) << lookup.out;
    EXPECT_EQ(lookup.out, "disc " + id + "\nartist\tBand]0;owned[2J\ntitle\tAlbum\n" +
                              "source\tcddb\n1\tOne\\xC2\\x9B2J\n");
    int cached = 0;
    for (const auto& file : fs::recursive_directory_iterator(TempSettings::folder() / "data")) {
        if (!file.is_regular_file()) {
            continue;
        }
        ++cached;
        std::ifstream in(file.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(bytes.find_first_of("\x1B\x07"), std::string::npos) << file.path();
    }
    EXPECT_EQ(cached, 1);
}

}  // namespace
