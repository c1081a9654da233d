#include "app/StreamTagAccess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "FakeMusicFiles.h"
#include "mdb/MusicDatabase.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using apptest::FakeFile;
using apptest::FakeMusicFiles;

class StreamTagAccessTest : public ::testing::Test {
  protected:
    TempSettings settings_;
    FakeMusicFiles files_;
    app::StreamTagAccess tags_{files_.catalog()};
};

TEST_F(StreamTagAccessTest, ReadsEveryFieldTheDatabaseKeeps) {
    auto file = files_.add("/music/song.mp3");
    file->tag = {"Title", "Artist", "Album", "Comment", 1999, 7, 17};
    file->lengthMs = 215000;
    file->size = 4321;
    file->kind = CNxSSInfo::kRiff;
    const auto tag = tags_.read("/music/song.mp3");
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title, "Title");
    EXPECT_EQ(tag->artist, "Artist");
    EXPECT_EQ(tag->album, "Album");
    EXPECT_EQ(tag->comment, "Comment");
    EXPECT_EQ(tag->year, 1999u);
    EXPECT_EQ(tag->track, 7u);
    EXPECT_EQ(tag->genre, 17u);
    EXPECT_EQ(tag->playTime, 215000u);
    EXPECT_EQ(tag->fileSize, 4321u);
    EXPECT_EQ(tag->kind, 2u);
}

TEST_F(StreamTagAccessTest, NumbersOutsideTheirRangeReadAsNone) {
    auto file = files_.add("/music/odd.mp3");
    file->tag.year = -5;
    file->tag.track = -1;
    file->tag.genre = 300;
    file->lengthMs = -20;
    auto tag = tags_.read("/music/odd.mp3");
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->year, 0u);
    EXPECT_EQ(tag->track, 0u);
    EXPECT_EQ(tag->genre, 255u);
    EXPECT_EQ(tag->playTime, 0u);
    file->tag.genre = -1;
    EXPECT_EQ(tags_.read("/music/odd.mp3")->genre, 255u);
}

TEST_F(StreamTagAccessTest, FilesNoReaderTakesAreNotMusic) {
    files_.add("/music/broken.mp3")->throwOnRead = true;
    EXPECT_FALSE(tags_.read("/music/unknown.mp3"));
    EXPECT_FALSE(tags_.read("/music/notes.txt"));
    EXPECT_FALSE(tags_.read("/music/broken.mp3"));
    EXPECT_FALSE(tags_.read(""));
}

TEST_F(StreamTagAccessTest, WritesOnlyTheEditedFieldsInOneCommit) {
    auto file = files_.add("/music/song.mp3");
    file->tag = {"Old", "Artist", "Album", "Note", 1990, 3, 1};
    mdb::TagEdit edit;
    edit.title = "New";
    edit.commentTrack = mdb::TagEdit::CommentTrack{"New note", 4};
    EXPECT_EQ(tags_.write("/music/song.mp3", edit), mdb::TagWriteResult::Written);
    EXPECT_EQ(file->calls, (std::vector<std::string>{"title", "comment+track"}));
    EXPECT_EQ(file->commits, 1);
    EXPECT_EQ(file->tag.title, "New");
    EXPECT_EQ(file->tag.comment, "New note");
    EXPECT_EQ(file->tag.track, 4);
    EXPECT_EQ(file->tag.artist, "Artist");
    EXPECT_EQ(file->tag.year, 1990);

    file->calls.clear();
    mdb::TagEdit all;
    all.artist = "A";
    all.album = "B";
    all.year = 2001;
    all.genre = 80;
    EXPECT_EQ(tags_.write("/music/song.mp3", all), mdb::TagWriteResult::Written);
    EXPECT_EQ(file->calls, (std::vector<std::string>{"artist", "album", "year", "genre"}));
    EXPECT_EQ(file->tag.genre, 80);
}

TEST_F(StreamTagAccessTest, FailuresMapToUnreadableOrWriteFailed) {
    mdb::TagEdit edit;
    edit.title = "x";
    EXPECT_EQ(tags_.write("/music/missing.mp3", edit), mdb::TagWriteResult::Unreadable);
    auto file = files_.add("/music/locked.mp3");
    file->writeResult = nxss::errnoError(13);
    EXPECT_EQ(tags_.write("/music/locked.mp3", edit), mdb::TagWriteResult::WriteFailed);
    EXPECT_EQ(file->tag.title, "");
    // A status code without the failure bit is a success.
    file->writeResult = nxss::kStarted;
    EXPECT_EQ(tags_.write("/music/locked.mp3", edit), mdb::TagWriteResult::Written);
}

// The database over real files whose tags the fake reader answers: adding
// reads the tag, an edit goes into the file, and a failed commit leaves a
// stored time newer than the file's so that synchronisation tries again.
TEST_F(StreamTagAccessTest, DatabaseEditsGoThroughToTheFile) {
    testsupport::TempDir dir;
    const std::string path = (dir / "song.mp3").string();
    std::ofstream(path) << "not really sound";
    // Made in the past, so that an edit at any moment is newer.
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    auto file = files_.add(path);
    file->tag = {"Tagged", "Band", "Record", "", 2004, 2, 17};
    file->lengthMs = 180000;
    mdb::MusicDatabase db(std::make_shared<app::StreamTagAccess>(files_.catalog()),
                          std::make_shared<mdb::GenreTable>());
    db.library().addExtension("mp3");
    mdb::MusicItem* item = db.library().itemAt(db.library().addFile(path));
    EXPECT_EQ(item->getTitle(), "Tagged");
    EXPECT_EQ(item->getArtist(), "Band");
    EXPECT_EQ(item->getPlayTime(), 180000u);
    EXPECT_EQ(item->getSize(), 16u);

    item->setTitle("Edited");
    EXPECT_EQ(file->tag.title, "Edited");
    EXPECT_EQ(file->commits, 1);

    file->writeResult = nxss::kFail;
    const auto before = static_cast<uint32_t>(std::time(nullptr));
    item->setYear(2010);
    EXPECT_EQ(file->tag.year, 2004);
    EXPECT_GE(item->getModified(), before);
    file->writeResult = 0;
    db.library().synchronize();
    EXPECT_EQ(file->tag.year, 2010);
}

}  // namespace
