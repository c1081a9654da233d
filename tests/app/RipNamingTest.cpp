#include "app/RipNaming.h"

#include <gtest/gtest.h>

#include "TestDisc.h"

namespace {

using cdinfo::NamingRules;

using apptest::disc;

NamingRules rules(std::array<int, 4> parts, int folder = NamingRules::kAlbumFolder) {
    NamingRules r;
    r.fileParts = parts;
    r.folder = folder;
    r.musicPath = "/music/";
    return r;
}

TEST(RipNaming, PathsFollowTheRulesAndNeverShareAFile) {
    cdinfo::CDiscID d = disc({"Intro", "Song", "intro", "Intro", "Data"});
    d.tracks[4].audio = false;
    const auto paths = app::ripOutputPaths(d, rules({2, 4, 4, 4}), "wav");
    EXPECT_EQ(paths, (std::vector<std::string>{"/music/Album/Intro.wav", "/music/Album/Song.wav",
                                               "/music/Album/intro (03).wav",
                                               "/music/Album/Intro (04).wav", ""}));

    const auto numbered = app::ripOutputPaths(
        d,
        rules({NamingRules::kTrackNo, NamingRules::kTitle, 4, 4}, NamingRules::kArtistAlbumFolder),
        "mp3");
    EXPECT_EQ(numbered[3], "/music/Band/Album/04 - Intro.mp3");

    NamingRules noFolder = rules({2, 4, 4, 4});
    noFolder.musicPath.clear();
    EXPECT_TRUE(app::ripOutputPaths(d, noFolder, "wav").empty());
}

TEST(RipNaming, RulesMustNameTheTitleOrTheNumber) {
    EXPECT_TRUE(app::namesTellTracksApart(rules({0, 1, 2, 4})));
    EXPECT_TRUE(app::namesTellTracksApart(rules({0, 3, 4, 4})));
    EXPECT_FALSE(app::namesTellTracksApart(rules({0, 1, 4, 4})));
}

}  // namespace
