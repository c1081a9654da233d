#include "app/LibrarySession.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/AppSettings.h"
#include "mdb/Exceptions.h"
#include "platform/ProductKey.h"
#include "platform/Registry.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

// The setting and the data home are also checked end to end by the library
// command's tests; here the cases it does not reach.
TEST(AppSettings, AnEmptySettingOrARelativeDataHomeIsIgnored) {
    TempSettings settings;
    platform::Registry::instance().write(platform::productSubkey("Settings"), "DefaultMdbPath",
                                         platform::RegValue::text(""));
    const std::string dataHome = ::getenv("XDG_DATA_HOME"), home = ::getenv("HOME");
    EXPECT_EQ(app::libraryFolder(), dataHome + "/mp3-melodux/MyData");
    ::setenv("XDG_DATA_HOME", "relative/data", 1);
    ::setenv("HOME", "/home/someone", 1);
    const std::string fallback = app::defaultLibraryFolder();
    ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    ::setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(fallback, "/home/someone/.local/share/mp3-melodux/MyData");
}

class NoTags : public mdb::TagAccess {
  public:
    std::optional<mdb::TagInfo> read(const std::string&) override { return std::nullopt; }
    mdb::TagWriteResult write(const std::string&, const mdb::TagEdit&) override {
        return mdb::TagWriteResult::Unreadable;
    }
};

class LibrarySessionTest : public ::testing::Test {
  protected:
    app::LibrarySession open(
        const std::string& genreFile = "",
        app::LibrarySession::Access access = app::LibrarySession::Access::ReadWrite) {
        return app::LibrarySession((dir_ / "db").string(), std::make_shared<NoTags>(), genreFile,
                                   access);
    }
    std::string musicFile(const std::string& name) {
        std::ofstream(dir_ / name) << "x";
        return (dir_ / name).string();
    }

    testsupport::TempDir dir_;
};

TEST_F(LibrarySessionTest, OpensWithTheShippedGenresElseTheBuiltInOnes) {
    for (const std::string genres : {MELODUX_ASSETS_DIR "/genre.dat", "/nowhere/genre.dat"}) {
        auto session = open(genres);
        mdb::MusicInfo info;
        info.path = musicFile("a.wma");
        info.genre = 80;
        session.db().library().add(info, false);
        EXPECT_EQ(session.db().library().itemAt(0)->getGenreName(),
                  genres == "/nowhere/genre.dat" ? "Unknown" : "Folk");
    }
    auto session = open();
    const auto extensions = session.db().library().getExtensions();
    ASSERT_GE(extensions.size(), 4u);
    EXPECT_EQ(std::vector(extensions.begin(), extensions.begin() + 4),
              (std::vector<std::string>{"mp3", "rmp", "wav", "wma"}));
    EXPECT_NE(std::find(extensions.begin(), extensions.end(), "flac"), extensions.end());
    EXPECT_EQ(session.db().library().addFile(musicFile("notes.txt")), mdb::kNoIndex);
}

TEST_F(LibrarySessionTest, SavesOnlyWhenChangedAndReopensWhatItSaved) {
    {
        auto session = open();
        EXPECT_FALSE(session.saveIfModified());
        EXPECT_FALSE(std::filesystem::exists(dir_ / "db/Library.csv"));
        session.db().playlists().create("Mix");
        EXPECT_TRUE(session.saveIfModified());
        EXPECT_FALSE(session.saveIfModified());
    }
    EXPECT_EQ(open().db().playlists().getNames(), (std::vector<std::string>{"Mix"}));
}

TEST_F(LibrarySessionTest, AWriterHoldsTheLibraryWhileReadersStillLook) {
    {
        auto writer = open();
        writer.db().playlists().create("Mix");
        writer.saveIfModified();
        EXPECT_THROW(open(), mdb::LibraryInUseException);
        auto reader = open("", app::LibrarySession::Access::ReadOnly);
        EXPECT_EQ(reader.db().playlists().getNames(), (std::vector<std::string>{"Mix"}));
        reader.db().playlists().create("Other");
        EXPECT_THROW(reader.saveIfModified(), std::logic_error);
    }
    std::ofstream(dir_ / "db/Library.csv", std::ios::app) << "broken line\n";
    auto session = open();
    ASSERT_EQ(session.problems().size(), 1u);
    EXPECT_EQ(session.problems()[0].text(),
              (dir_ / "db/Library.csv").string() + ": line 1: cannot be read");
}

}  // namespace
