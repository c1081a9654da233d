#include "app/CdrCommand.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "app/TemporaryPlaylistFile.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

void makeProgram(const fs::path& file, bool executable) {
    std::ofstream(file) << "#!/bin/sh\n";
    ::chmod(file.c_str(), executable ? 0755 : 0644);
}

TEST(CdrCommand, BraseroIsTheDefaultOnlyWhenAnExecutableOneIsOnThePath) {
    testsupport::TempDir with;
    testsupport::TempDir without;
    testsupport::TempDir plainFile;
    makeProgram(with / "brasero", true);
    makeProgram(plainFile / "brasero", false);
    fs::create_directory(without / "brasero");  // a folder is no program
    EXPECT_EQ(app::defaultCdrCommand(without.path().string() + "::" + with.path().string()),
              app::kBraseroCommand);
    EXPECT_EQ(app::defaultCdrCommand(without.path().string() + ":" + plainFile.path().string()),
              "");
    EXPECT_EQ(app::defaultCdrCommand(""), "");

    app::PlayerSettings settings;  // in memory
    settings.write(app::settings::kCdrCommand, "k3b %s");
    EXPECT_EQ(app::cdrCommandOf(settings), "k3b %s");
}

TEST(CdrCommand, MusicCdsTakeNoRmpOrWmaFiles) {
    EXPECT_TRUE(app::hasUnburnableFile({"/m/a.mp3", "/m/b.WMA"}));
    EXPECT_TRUE(app::hasUnburnableFile({"/m/c.Rmp"}));
    EXPECT_FALSE(app::hasUnburnableFile({"/m/a.mp3", "/m/wma", "/m/b.wav"}));
    EXPECT_FALSE(app::hasUnburnableFile({}));
}

TEST(TemporaryPlaylistFile, IsANewM3uFileThatGoesWithTheObject) {
    testsupport::TempDir dir;
    fs::path made;
    {
        const app::TemporaryPlaylistFile first(dir.path());
        const app::TemporaryPlaylistFile second(dir.path());
        made = first.path();
        EXPECT_TRUE(fs::is_regular_file(made));
        EXPECT_NE(first.path(), second.path());
        EXPECT_EQ(made.parent_path(), dir.path());
        EXPECT_EQ(made.extension(), ".m3u");
        EXPECT_EQ(made.filename().string().substr(0, 2), "mx");
    }
    EXPECT_FALSE(fs::exists(made));
    EXPECT_TRUE(testsupport::namesIn(dir.path()).empty());
    try {
        app::TemporaryPlaylistFile nowhere(dir / "gone");
        FAIL() << "made in a missing folder";
    } catch (const std::system_error& failure) {
        EXPECT_EQ(failure.code().value(), ENOENT);
    }
}

}  // namespace
