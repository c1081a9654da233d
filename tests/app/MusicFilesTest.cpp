#include "app/MusicFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "app/DataFolder.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

TEST(MusicFiles, FoldersExpandToTheirMusicFilesNamedFilesStandForThemselves) {
    testsupport::TempDir dir;
    for (const char* name :
         {"b/2.mp3", "b/deep/er/3.WAV", "b/1.mp3", "b/cover.jpg", "b/mp3", "readme.txt"}) {
        fs::create_directories((dir / name).parent_path());
        std::ofstream(dir / name) << "x";
    }
    fs::create_directory_symlink(dir / "b", dir / "b/loop");
    const auto files = app::expandMusicPaths(
        {(dir / "b/").string(), (dir / "readme.txt").string(), (dir / "gone.mp3").string()},
        {"mp3", "wav"});
    EXPECT_EQ(files, (std::vector<std::string>{
                         (dir / "b/1.mp3").string(), (dir / "b/2.mp3").string(),
                         (dir / "b/deep/er/3.WAV").string(), (dir / "readme.txt").string(),
                         (dir / "gone.mp3").string()}));
}

TEST(MusicFiles, PathsBecomeAbsoluteAndTheFormatFollowsTheExtension) {
    EXPECT_EQ(app::absolutePath("x/../a.mp3"), fs::current_path().string() + "/a.mp3");
    EXPECT_EQ(app::absolutePath("/m/./d/"), "/m/d");
    EXPECT_EQ(app::absolutePath("/"), "/");
    EXPECT_EQ(app::fileFormatFor("/x/lib.csv"), 0);
    EXPECT_EQ(app::fileFormatFor("/x/list.M3U"), 1);
    EXPECT_EQ(app::fileFormatFor("/x/list.pls"), 2);
    EXPECT_THROW(app::fileFormatFor("/x/list.m3u8"), std::invalid_argument);
    EXPECT_THROW(app::fileFormatFor("/x/list"), std::invalid_argument);
}

TEST(DataFolder, InstalledDataBesideTheProgramWinsOverTheBuildTree) {
    testsupport::TempDir dir;
    const fs::path build = dir / "src/build";
    const auto folder = [&](const fs::path& exe) {
        return app::dataFolderFor(exe, build, build / "data", "/configured/share/mp3-melodux");
    };
    EXPECT_EQ(folder(build / "src/cli/melodux-cli"), build / "data");
    EXPECT_EQ(folder(dir / "opt/bin/melodux"), dir / "opt/share/mp3-melodux");
    EXPECT_EQ(folder(dir / "src/build2/melodux-cli"), dir / "src/share/mp3-melodux");
    EXPECT_EQ(folder(""), "/configured/share/mp3-melodux");
    // A prefix inside the build tree is an installed program all the same.
    fs::create_directories(build / "stage/share/mp3-melodux");
    EXPECT_EQ(folder(build / "stage/bin/melodux"), build / "stage/share/mp3-melodux");
    // This test runs from the build tree.
    EXPECT_TRUE(fs::exists(app::dataFolder() / "genre.dat"));
}

}  // namespace
