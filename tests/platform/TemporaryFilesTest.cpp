#include "platform/TemporaryFiles.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
namespace temporary = platform::temporary;

// The id of a process that has ended and been reaped.
pid_t deadPid() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

void touch(const fs::path& file) {
    std::ofstream(file) << "x";
}

TEST(TemporaryFiles, NamesCarryTheWritersPid) {
    const testsupport::TempDir dir;
    auto created = temporary::createFor(dir / "song.mp3");
    ASSERT_TRUE(created);
    EXPECT_TRUE(created->fd.valid());
    EXPECT_EQ(created->path.parent_path(), dir.path());
    EXPECT_EQ(temporary::ownerOf(created->path), ::getpid());
    for (const char* other :
         {"song.mp3", "Nx12-0123abcd.tmp.mp3", "Nx-0123abcd.tmp", "Nx12-0123ABCD.tmp",
          "Nx12-0123abc.tmp", "Nxa12-0123abcd.tmp", "Nx0-0123abcd.tmp"}) {
        EXPECT_FALSE(temporary::ownerOf(other)) << other;
    }
    EXPECT_EQ(temporary::ownerOf("/x/Nx12-0123abcd.tmp"), 12);
}

// Only temporaries of processes that are gone go; a live writer's stays,
// and so does every other file.
TEST(TemporaryFiles, TheNextWriterRemovesTheTemporariesOfDeadWriters) {
    const testsupport::TempDir dir;
    const std::string dead = "Nx" + std::to_string(deadPid()) + "-0123abcd.tmp";
    const std::string live = "Nx" + std::to_string(::getppid()) + "-0123abcd.tmp";
    for (const std::string& name :
         {dead, live, std::string("Nx123456.tmp"), std::string("a.wav")}) {
        touch(dir / name);
    }
    fs::create_directory(dir / ("Nx" + std::to_string(deadPid()) + "-00000000.tmp"));
    const auto created = temporary::createFor(dir / "out.wav");
    ASSERT_TRUE(created);
    const auto names = dir.names();
    EXPECT_EQ(std::count(names.begin(), names.end(), dead), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), live), 1);
    EXPECT_EQ(names.size(), 5u);  // live, Nx123456.tmp, a.wav, the folder, the new one
    EXPECT_EQ(temporary::removeStale(dir.path()), 0);
}

TEST(TemporaryFiles, AFolderThatTakesNoFileGivesNothing) {
    errno = 0;
    EXPECT_FALSE(temporary::createFor("/nonexistent/folder/out.wav"));
    EXPECT_EQ(errno, ENOENT);
}

}  // namespace
