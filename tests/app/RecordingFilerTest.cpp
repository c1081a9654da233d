#include "app/RecordingFiler.h"

#include <gtest/gtest.h>

#include "TestDisc.h"
#include "mdb/TestSupport.h"

namespace {

using apptest::disc;

TEST(RecordingFiler, RecordTakesTheDiscWhereTheTrackIsSilent) {
    cdinfo::CDiscID d = disc({"", "Two"});
    d.tracks[1].artist = "Guest";
    d.tracks[1].extra = "live";
    d.genre = 17;
    d.year = "1999";
    const mdb::MusicInfo first = app::rippedTrackRecord(d, 0, "/music/a.wav");
    EXPECT_EQ(first.title, "Track01");
    EXPECT_EQ(first.artist, "Band");
    EXPECT_EQ(first.album, "Album");
    EXPECT_EQ(first.genre, 17u);
    EXPECT_EQ(first.year, 1999u);
    EXPECT_EQ(first.track, 1u);
    EXPECT_EQ(first.playTime, 61000u);
    const mdb::MusicInfo second = app::rippedTrackRecord(d, 1, "/music/b.wav");
    EXPECT_EQ(second.artist, "Guest");
    EXPECT_EQ(second.comment, "live");
    EXPECT_EQ(second.track, 2u);

    // A disc whose tracks do not start at 1: the disc's numbers name them.
    cdinfo::CDiscID late = disc({"", ""});
    late.tracks[0].number = 5;
    late.tracks[1].number = 6;
    const mdb::MusicInfo sixth = app::rippedTrackRecord(late, 1, "/music/c.wav");
    EXPECT_EQ(sixth.title, "Track06");
    EXPECT_EQ(sixth.track, 6u);
}

TEST(RecordingFiler, FilesNewAndRippedAgainRecordingsWithTheirTag) {
    mdbtest::Fixture f;
    const cdinfo::CDiscID d = disc({"One"});
    f.tags->add("/music/Album/One.wav").size = 4000;
    mdb::MusicItem* item =
        app::fileRecording(*f.db, app::rippedTrackRecord(d, 0, "/music/Album/One.wav"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(f.tags->files["/music/Album/One.wav"].tag.title, "One");
    EXPECT_EQ(item->getAlbum(), "Album");
    EXPECT_EQ(item->getSize(), 4000u);

    // Ripped again: a fresh file without a tag at the same path.
    f.db->playlists().create("Mix").insert(0, item);
    f.tags->files["/music/Album/One.wav"].tag = {};
    f.tags->files["/music/Album/One.wav"].size = 5000;
    cdinfo::CDiscID renamed = d;
    renamed.tracks[0].title = "One (remaster)";
    EXPECT_EQ(app::fileRecording(*f.db, app::rippedTrackRecord(renamed, 0, "/music/Album/One.wav")),
              item);
    EXPECT_EQ(f.db->library().count(), 1u);
    EXPECT_TRUE(f.db->playlists().get("Mix").contains(item));
    EXPECT_EQ(item->getTitle(), "One (remaster)");
    EXPECT_EQ(f.tags->files["/music/Album/One.wav"].tag.album, "Album");
    EXPECT_EQ(item->getSize(), 5000u);

    EXPECT_EQ(app::fileRecording(*f.db, app::rippedTrackRecord(d, 0, "/music/Album/One.ogg")),
              nullptr);

    // A file that cannot take a tag keeps the record and the file's time.
    f.tags->add("/music/Album/Two.wav").writable = false;
    mdb::MusicItem* untagged =
        app::fileRecording(*f.db, app::rippedTrackRecord(d, 0, "/music/Album/Two.wav"));
    EXPECT_EQ(untagged->getTitle(), "One");
    EXPECT_EQ(untagged->getModified(), mdb::toStoredTime(mdbtest::FakeTags::kBaseTime));
}

}  // namespace
