#include "mdb/TextRules.h"

#include <gtest/gtest.h>

#include "mdb/PathRules.h"

using namespace mdb;

// Containment and order ignoring ASCII case are driven through the search
// (Search.ContainmentIgnoresAsciiCaseAnywhereInTheField) and the playlist
// names (PlaylistSet.NamesDifferingInCaseAreTwoPlaylistsSideBySide).

// The relative form only for paths inside the folder; resolving turns
// backslashes into slashes; names, extensions and directories.
TEST(PathRules, RelativeResolvedAndPartsOfPaths) {
    EXPECT_EQ(relativeForm("/data/db/Music/a.mp3", "/data/db"), "Music/a.mp3");
    EXPECT_EQ(relativeForm("/data/db/Music/a.mp3", "/data/db/"), "Music/a.mp3");
    // A sibling folder whose name merely begins with the folder's name.
    EXPECT_EQ(relativeForm("/data/db2/a.mp3", "/data/db"), "/data/db2/a.mp3");
    EXPECT_EQ(relativeForm("/data/db", "/data/db"), "/data/db");
    EXPECT_EQ(relativeForm("/other/a.mp3", "/data/db"), "/other/a.mp3");
    EXPECT_EQ(relativeForm("/x.mp3", ""), "x.mp3");  // a file in the root folder
    EXPECT_EQ(resolvePath("Music\\a.mp3", "/data/db"), "/data/db/Music/a.mp3");
    EXPECT_EQ(resolvePath("Music/a.mp3", "/data/db/"), "/data/db/Music/a.mp3");
    EXPECT_EQ(resolvePath("/abs/a.mp3", "/data/db"), "/abs/a.mp3");
    EXPECT_EQ(resolvePath("", "/data/db"), "/data/db/");
    EXPECT_EQ(resolvePath("a.mp3", ""), "/a.mp3");
    EXPECT_FALSE(isAbsolutePath(""));
    EXPECT_EQ(extensionOf("/m/a.b.MP3"), "MP3");
    EXPECT_EQ(extensionOf("/m/noext"), "");
    std::string dir;
    EXPECT_TRUE(directoryOf("/x.m3u", dir));
    EXPECT_EQ(dir, "");
    EXPECT_FALSE(directoryOf("x.m3u", dir));
}
