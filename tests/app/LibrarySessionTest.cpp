#include "app/LibrarySession.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "app/AppSettings.h"
#include "mdb/Exceptions.h"
#include "mdb/TagAccess.h"
#include "platform/Registry.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

class NoTags : public mdb::TagAccess {
  public:
    std::optional<mdb::TagInfo> read(const std::string&) override { return std::nullopt; }
    mdb::TagWriteResult write(const std::string&, const mdb::TagEdit&) override {
        return mdb::TagWriteResult::Unreadable;
    }
};

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = ::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

void setLibraryPath(const std::string& value) {
    platform::Registry::instance().write("Software\\Corvanta\\MP3 Melodux\\Settings",
                                         "DefaultMdbPath", platform::RegValue::text(value));
}

TEST(AppSettings, LibraryFolderComesFromTheSettingElseTheDataHome) {
    TempSettings settings;
    testsupport::TempDir data;
    ScopedEnv dataHome("XDG_DATA_HOME", data.path().string());
    EXPECT_EQ(app::libraryFolder(), (data / "mp3-melodux/MyData").string());
    setLibraryPath("");
    EXPECT_EQ(app::libraryFolder(), (data / "mp3-melodux/MyData").string());
    setLibraryPath("/srv/music-db");
    EXPECT_EQ(app::libraryFolder(), "/srv/music-db");
}

TEST(AppSettings, ARelativeDataHomeIsIgnored) {
    ScopedEnv dataHome("XDG_DATA_HOME", "relative/data");
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(app::defaultLibraryFolder(), "/home/someone/.local/share/mp3-melodux/MyData");
}

class LibrarySessionTest : public ::testing::Test {
  protected:
    app::LibrarySession open(const std::string& genreFile) {
        return app::LibrarySession((dir_ / "db").string(), std::make_shared<NoTags>(), genreFile);
    }
    std::string musicFile(const std::string& name) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path) << "x";
        return path;
    }

    testsupport::TempDir dir_;
};

TEST_F(LibrarySessionTest, OpensWithTheShippedGenresAndTheFourMusicTypes) {
    auto session = open(MELODUX_ASSETS_DIR "/genre.dat");
    auto& library = session.db().library();
    EXPECT_EQ(library.getExtensions(), (std::vector<std::string>{"mp3", "rmp", "wav", "wma"}));
    mdb::MusicInfo info;
    info.path = musicFile("a.wma");
    info.genre = 80;
    library.add(info, false);
    EXPECT_EQ(library.itemAt(0)->getGenreName(), "Folk");
    EXPECT_EQ(library.addFile(musicFile("notes.txt")), mdb::kNoIndex);
}

TEST_F(LibrarySessionTest, AMissingGenreFileLeavesTheBuiltInTable) {
    auto session = open((dir_ / "nowhere/genre.dat").string());
    mdb::MusicInfo info;
    info.path = musicFile("a.mp3");
    info.genre = 80;
    session.db().library().add(info, false);
    EXPECT_EQ(session.db().library().itemAt(0)->getGenreName(), "Unknown");
    info.path = musicFile("b.mp3");
    info.genre = 17;
    session.db().library().add(info, false);
    EXPECT_EQ(session.db().library().itemAt(1)->getGenreName(), "Rock");
}

TEST_F(LibrarySessionTest, SavesOnlyWhenChangedAndReopensWhatItSaved) {
    {
        auto session = open("");
        EXPECT_FALSE(session.saveIfModified());
        EXPECT_FALSE(std::filesystem::exists(dir_ / "db"));
        session.db().library().addFile(musicFile("a.mp3"));
        session.db().playlists().create("Mix");
        EXPECT_TRUE(session.saveIfModified());
        EXPECT_FALSE(session.saveIfModified());
    }
    auto session = open("");
    ASSERT_EQ(session.db().library().count(), 1u);
    EXPECT_EQ(session.db().library().itemAt(0)->getTitle(), "a.mp3");
    EXPECT_EQ(session.db().playlists().getNames(), (std::vector<std::string>{"Mix"}));
}

}  // namespace
