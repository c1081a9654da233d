#include "app/MusicFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "app/DataFolder.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kExtensions = {"mp3", "wav"};

void touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

TEST(MusicFiles, FoldersExpandToTheirMusicFilesNamedFilesStandForThemselves) {
    testsupport::TempDir dir;
    touch(dir / "b/2.mp3");
    touch(dir / "b/deep/er/3.WAV");
    touch(dir / "b/1.mp3");
    touch(dir / "b/cover.jpg");
    touch(dir / "b/mp3");  // no extension at all
    touch(dir / "readme.txt");
    fs::create_directory_symlink(dir / "b", dir / "b/loop");
    const auto files = app::expandMusicPaths(
        {(dir / "b/").string(), (dir / "readme.txt").string(), (dir / "gone.mp3").string()},
        kExtensions);
    EXPECT_EQ(files, (std::vector<std::string>{
                         (dir / "b/1.mp3").string(), (dir / "b/2.mp3").string(),
                         (dir / "b/deep/er/3.WAV").string(), (dir / "readme.txt").string(),
                         (dir / "gone.mp3").string()}));
}

TEST(MusicFiles, RelativePathsBecomeAbsoluteAndTidy) {
    const std::string cwd = fs::current_path().string();
    EXPECT_EQ(app::absolutePath("x/../a.mp3"), cwd + "/a.mp3");
    EXPECT_EQ(app::absolutePath("/m/./d/"), "/m/d");
    EXPECT_EQ(app::absolutePath("/"), "/");
}

TEST(MusicFiles, PlaylistFormatFollowsTheExtension) {
    EXPECT_EQ(app::fileFormatFor("/x/lib.csv"), 0);
    EXPECT_EQ(app::fileFormatFor("/x/list.M3U"), 1);
    EXPECT_EQ(app::fileFormatFor("/x/list.pls"), 2);
    EXPECT_THROW(app::fileFormatFor("/x/list.m3u8"), std::invalid_argument);
    EXPECT_THROW(app::fileFormatFor("/x/list"), std::invalid_argument);
}

TEST(DataFolder, BuildTreeProgramsUseTheSourceAssets) {
    const auto folder = [](const char* exe) {
        return app::dataFolderFor(exe, "/src/build/default", "/src/assets",
                                  "/usr/share/mp3-melodux");
    };
    EXPECT_EQ(folder("/src/build/default/src/cli/melodux-cli"), "/src/assets");
    EXPECT_EQ(folder("/usr/bin/melodux-cli"), "/usr/share/mp3-melodux");
    EXPECT_EQ(folder("/src/build/default2/melodux-cli"), "/usr/share/mp3-melodux");
    EXPECT_EQ(folder(""), "/usr/share/mp3-melodux");
    // This test runs from the build tree.
    EXPECT_TRUE(fs::exists(app::dataFolder() / "genre.dat"));
}

}  // namespace
