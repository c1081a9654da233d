#include "app/StreamTagAccess.h"

#include <gtest/gtest.h>

#include <map>

#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"
#include "support/TempSettings.h"

namespace {

struct FakeTag {
    std::string title, artist, album, comment;
    int32_t year = 0, track = 0, genre = CNxSSInfo::kNoGenre;
    bool operator==(const FakeTag&) const = default;
};

// What a fake reader knows of one file, and what was done to it.
struct FakeFile {
    FakeTag tag;
    int32_t lengthMs = 0;
    uint32_t writeResult = 0;  // what WriteTag answers
    bool throwOnRead = false;
    int commits = 0;
};

// Edits are kept until WriteTag stores them, as the real tag objects do.
class FakeInfo : public CNxSSInfo {
  public:
    FakeInfo(CNxSSComponent* owner, std::shared_ptr<FakeFile> file)
        : CNxSSInfo(owner), file_(std::move(file)), edit_(file_->tag) {}

    Kind GetKind() const override { return kRiff; }
    std::string GetTitle() const override {
        return file_->throwOnRead ? throw CNxSSException(nxss::kBadRiff) : file_->tag.title;
    }
    std::string GetArtist() const override { return file_->tag.artist; }
    std::string GetAlbum() const override { return file_->tag.album; }
    std::string GetComment() const override { return file_->tag.comment; }
    int32_t GetYear() const override { return file_->tag.year; }
    int32_t GetTrack() const override { return file_->tag.track; }
    int32_t GetGenre() const override { return file_->tag.genre; }
    uint64_t GetFileSize() const override { return 4321; }

    void SetTitle(std::string_view text) override { edit_.title = text; }
    void SetArtist(std::string_view text) override { edit_.artist = text; }
    void SetAlbum(std::string_view text) override { edit_.album = text; }
    void SetYear(int32_t year) override { edit_.year = year; }
    void SetComment(std::string_view text, int32_t track) override {
        edit_.comment = text;
        edit_.track = track;
    }
    void SetGenre(int32_t genre) override { edit_.genre = genre; }
    uint32_t WriteTag() override {
        ++file_->commits;
        if (!nxss::failed(file_->writeResult)) {
            file_->tag = edit_;
        }
        return file_->writeResult;
    }

  private:
    std::shared_ptr<FakeFile> file_;
    FakeTag edit_;
};

class FakeSource : public CNxSSComponent {
  public:
    FakeSource(CNxSSObject* parent, std::shared_ptr<FakeFile> file)
        : CNxSSComponent(parent), file_(std::move(file)) {}
    int32_t GetLength() override { return file_->lengthMs; }
    uint32_t GetInfo(NxRef<CNxSSInfo>& info) override {
        info = MakeNx<FakeInfo>(this, file_);
        return 0;
    }

  private:
    std::shared_ptr<FakeFile> file_;
};

class StreamTagAccessTest : public ::testing::Test {
  protected:
    std::shared_ptr<FakeFile> add(const std::string& path) {
        return files_[path] = std::make_shared<FakeFile>();
    }
    // The MP3 entry opens the fake files by path.
    CNxSSComponentCatalog catalog() {
        CNxSSComponentCatalog catalog;
        catalog.mp3 = [this](CNxSSManager& manager, const std::string& name) {
            if (!files_.count(name)) {
                throw CNxSSException(nxss::kNoDecoder);
            }
            return NxRef<CNxSSComponent>(MakeNx<FakeSource>(&manager, files_[name]));
        };
        return catalog;
    }

    TempSettings settings_;
    std::map<std::string, std::shared_ptr<FakeFile>> files_;
    app::StreamTagAccess tags_{catalog()};
};

TEST_F(StreamTagAccessTest, ReadsEveryFieldAndOutOfRangeNumbersAsNone) {
    auto file = add("/music/song.mp3");
    file->tag = {"Title", "Artist", "Album", "Comment", 1999, 7, 17};
    file->lengthMs = 215000;
    auto tag = tags_.read("/music/song.mp3");
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title + tag->artist + tag->album + tag->comment, "TitleArtistAlbumComment");
    EXPECT_EQ(
        std::make_tuple(tag->year, tag->track, tag->genre, tag->playTime, tag->fileSize, tag->kind),
        std::make_tuple(1999u, 7u, 17u, 215000u, uint64_t{4321}, 2u));

    file->tag = {"", "", "", "", -5, -1, 300};
    file->lengthMs = -20;
    tag = tags_.read("/music/song.mp3");
    EXPECT_EQ(std::make_tuple(tag->year, tag->track, tag->genre, tag->playTime),
              std::make_tuple(0u, 0u, 255u, 0u));
    file->tag.genre = -1;
    EXPECT_EQ(tags_.read("/music/song.mp3")->genre, 255u);
}

TEST_F(StreamTagAccessTest, FilesNoReaderTakesAreNotMusic) {
    add("/music/broken.mp3")->throwOnRead = true;
    for (const char* path : {"/music/unknown.mp3", "/music/notes.txt", "/music/broken.mp3", ""}) {
        EXPECT_FALSE(tags_.read(path)) << path;
    }
}

TEST_F(StreamTagAccessTest, WritesOnlyTheEditedFieldsInOneCommit) {
    auto file = add("/music/song.mp3");
    file->tag = {"Old", "Artist", "Album", "Note", 1990, 3, 1};
    mdb::TagEdit edit;
    edit.title = "New";
    edit.commentTrack = mdb::TagEdit::CommentTrack{"New note", 4};
    EXPECT_EQ(tags_.write("/music/song.mp3", edit), mdb::TagWriteResult::Written);
    EXPECT_TRUE(file->tag == (FakeTag{"New", "Artist", "Album", "New note", 1990, 4, 1}));
    EXPECT_EQ(file->commits, 1);

    mdb::TagEdit rest;
    rest.artist = "A";
    rest.album = "B";
    rest.year = 2001;
    rest.genre = 80;
    EXPECT_EQ(tags_.write("/music/song.mp3", rest), mdb::TagWriteResult::Written);
    EXPECT_TRUE(file->tag == (FakeTag{"New", "A", "B", "New note", 2001, 4, 80}));
}

TEST_F(StreamTagAccessTest, FailuresMapToUnreadableOrWriteFailed) {
    mdb::TagEdit edit;
    edit.title = "x";
    EXPECT_EQ(tags_.write("/music/missing.mp3", edit), mdb::TagWriteResult::Unreadable);
    auto file = add("/music/locked.mp3");
    file->writeResult = nxss::errnoError(13);
    EXPECT_EQ(tags_.write("/music/locked.mp3", edit), mdb::TagWriteResult::WriteFailed);
    EXPECT_EQ(file->tag.title, "");
    // A status code without the failure bit is a success.
    file->writeResult = nxss::kStarted;
    EXPECT_EQ(tags_.write("/music/locked.mp3", edit), mdb::TagWriteResult::Written);
}

}  // namespace
