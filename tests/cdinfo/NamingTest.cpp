#include <gtest/gtest.h>

#include "cdinfo/CDiscID.h"
#include "cdinfo/CddaResult.h"
#include "cdinfo/FileNameText.h"

using namespace cdinfo;

namespace {

CDiscID twoTrackDisc() {
    CDiscID disc;
    disc.discId = 0x08025602;
    disc.title = "Album: Part 1/2";
    disc.artist = "The Band";
    disc.tracks.resize(2);
    disc.tracks[0].title = "Opening?";
    disc.tracks[0].artist = "The Band";
    disc.tracks[1].artist = "Guest";
    return disc;
}

NamingRules rules(std::array<int, 4> parts, int folder, std::string path = "/music/") {
    NamingRules r;
    r.fileParts = parts;
    r.folder = folder;
    r.musicPath = std::move(path);
    return r;
}

}  // namespace

TEST(FileNameText, KeepsNamesSafeOnEveryFileSystem) {
    EXPECT_EQ(fileNameSafe("a/b\\c:d*e?f\"g<h>i|j\tk", 100), "a_b_c_d_e_f_g_h_i_j_k");
    EXPECT_EQ(fileNameSafe("  Title. ..", 100), "Title");
    EXPECT_EQ(fileNameSafe("..", 100), "");
    EXPECT_EQ(fileNameSafe("   ", 100), "");
    // Cut on a character boundary: each of these takes three bytes.
    EXPECT_EQ(fileNameSafe("日本語", 7), "日本");
    // Text that is not UTF-8 is read as CP932, never passed on broken.
    EXPECT_EQ(fileNameSafe("\x83\x65\x83\x58\x83\x67", 100), "テスト");
}

TEST(CDiscIDNaming, ComposesFileNamesFromTheChosenParts) {
    const CDiscID disc = twoTrackDisc();
    std::string name;
    EXPECT_EQ(disc.MakeMP3FileName(name, 0, rules({2, 4, 4, 4}, 1)), kCddaOk);
    EXPECT_EQ(name, "Opening_");
    disc.MakeMP3FileName(name, 0, rules({3, 0, 2, 4}, 1));
    EXPECT_EQ(name, "01 - The Band - Opening_");
    disc.MakeMP3FileName(name, 1, rules({0, 1, 2, 3}, 1));
    EXPECT_EQ(name, "Guest - Album_ Part 1_2 - Track02 - 02");  // empty title: Track02
    EXPECT_EQ(disc.MakeMP3FileName(name, 2, rules({2, 4, 4, 4}, 1)), kCddaInvalid);
    EXPECT_EQ(disc.MakeMP3FileName(name, -1, rules({2, 4, 4, 4}, 1)), kCddaInvalid);

    CDiscID anonymous = twoTrackDisc();
    anonymous.artist.clear();
    anonymous.tracks[0].artist.clear();
    anonymous.MakeMP3FileName(name, 0, rules({0, 4, 4, 4}, 1));
    EXPECT_EQ(name, "Track01");  // nothing usable left
}

TEST(CDiscIDNaming, ComposesFoldersUnderTheMusicFolder) {
    CDiscID disc = twoTrackDisc();
    std::string folder;
    EXPECT_EQ(disc.MakeMP3FolderName(folder, rules({2, 4, 4, 4}, 0)), kCddaOk);
    EXPECT_EQ(folder, "/music");
    disc.MakeMP3FolderName(folder, rules({2, 4, 4, 4}, 1));
    EXPECT_EQ(folder, "/music/Album_ Part 1_2");
    disc.MakeMP3FolderName(folder, rules({2, 4, 4, 4}, 2));
    EXPECT_EQ(folder, "/music/The Band/Album_ Part 1_2");
    disc.MakeMP3FolderName(folder, rules({2, 4, 4, 4}, 2, "/"));
    EXPECT_EQ(folder, "/The Band/Album_ Part 1_2");

    disc.artist = "..";
    disc.title = "";
    disc.MakeMP3FolderName(folder, rules({2, 4, 4, 4}, 2));
    EXPECT_EQ(folder, "/music/08025602");  // no usable names: the disc id
    EXPECT_EQ(disc.MakeMP3FolderName(folder, rules({2, 4, 4, 4}, 1, "")), kCddaInvalid);
}

TEST(CDiscID, SetsArtistsRemovesAndTellsDiscsApart) {
    CDiscID disc = twoTrackDisc();
    disc.SetDiscArtist("Solo", 0);
    EXPECT_EQ(disc.artist, "Solo");
    EXPECT_EQ(disc.tracks[1].artist, "Guest");
    disc.SetDiscArtist("Duo", 1);
    EXPECT_EQ(disc.tracks[0].artist, "Duo");
    EXPECT_EQ(disc.tracks[1].artist, "Duo");

    disc.leadOut = 45000;
    const std::string identity = disc.Identity();
    CDiscID other = disc;
    other.leadOut = 45001;
    EXPECT_NE(other.Identity(), identity);
    EXPECT_EQ(CDiscID(disc).Identity(), identity);

    disc.Remove();
    EXPECT_EQ(disc.GetTrackCount(), 0);
    EXPECT_EQ(disc.Identity(), "");
    EXPECT_EQ(disc.genre, CDiscID::kNoGenre);
}
