// Tags read and written through the program's own readers, on real files.
#include "app/StreamTagAccess.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/Engine.h"
#include "support/Files.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

namespace fs = std::filesystem;

// A 16-bit mono WAVE file of `frames` silent frames at 8000 Hz.
void writeSilentWave(const fs::path& path, uint32_t frames) {
    auto le = [](uint32_t v, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) {
            out.push_back(static_cast<char>(v >> (8 * i)));
        }
        return out;
    };
    const uint32_t data = frames * 2;
    testsupport::writeText(path, "RIFF" + le(36 + data, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
                                     le(1, 2) + le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2) +
                                     "data" + le(data, 4) + std::string(data, '\0'));
}

class StreamTagAccessTest : public ::testing::Test {
  protected:
    TempSettings settings_;
    testsupport::TempDir dir_;
    app::Engine engine_;
    app::StreamTagAccess tags_{engine_.catalog()};
};

TEST_F(StreamTagAccessTest, WritesOnlyTheEditedFieldsAndReadsThemBack) {
    const auto song = (dir_ / "song.mp3").string();
    fs::copy_file(MP3_FIXTURE_DIR "/v1_44k_joint_128.mp3", song);
    mdb::TagEdit edit;
    edit.title = "New";
    edit.commentTrack = mdb::TagEdit::CommentTrack{"Note", 4};
    ASSERT_EQ(tags_.write(song, edit), mdb::TagWriteResult::Written);
    mdb::TagEdit rest;
    rest.artist = "A";
    rest.album = "B";
    rest.year = 2001;
    rest.genre = 17;
    ASSERT_EQ(tags_.write(song, rest), mdb::TagWriteResult::Written);

    const auto tag = tags_.read(song);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title + "|" + tag->artist + "|" + tag->album + "|" + tag->comment,
              "New|A|B|Note");
    EXPECT_EQ(std::make_tuple(tag->year, tag->track, tag->genre, tag->fileSize, tag->kind),
              std::make_tuple(2001u, 4u, 17u, uint64_t{fs::file_size(song)},
                              uint32_t{CNxSSInfo::kId3v1}));
    EXPECT_GT(tag->playTime, 0u);
}

// A file the WAVE reader takes reads with no tag; its tag cannot be
// written, and what no reader takes is not music.
TEST_F(StreamTagAccessTest, FailuresMapToUnreadableOrWriteFailed) {
    const auto wave = dir_ / "song.wav";
    writeSilentWave(wave, 4000);
    const auto tag = tags_.read(wave.string());
    ASSERT_TRUE(tag);
    EXPECT_EQ(std::make_tuple(tag->title, tag->year, tag->genre, tag->playTime, tag->kind),
              std::make_tuple(std::string(), 0u, 255u, 500u, uint32_t{CNxSSInfo::kRiff}));
    mdb::TagEdit edit;
    edit.title = "x";
    EXPECT_EQ(tags_.write(wave.string(), edit), mdb::TagWriteResult::WriteFailed);

    testsupport::writeText(dir_ / "notes.txt", "not music");
    testsupport::writeText(dir_ / "broken.mp3", std::string(3000, 'x'));
    for (const fs::path& path :
         {dir_ / "missing.mp3", dir_ / "notes.txt", dir_ / "broken.mp3", fs::path()}) {
        EXPECT_FALSE(tags_.read(path.string())) << path;
        EXPECT_EQ(tags_.write(path.string(), edit), mdb::TagWriteResult::Unreadable) << path;
    }
}

}  // namespace
