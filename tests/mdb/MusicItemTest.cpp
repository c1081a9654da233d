#include "mdb/MusicItem.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"

using namespace mdb;
using mdbtest::Fixture;
using mdbtest::Recorder;

TEST(MusicItem, RecordsRoundTripAndAnEmptyOneHasNoGenre) {
    Fixture f;
    MusicItem* item = f.addItem("/m/a.mp3");
    EXPECT_EQ(item->getGenre(), 255u);
    EXPECT_EQ(item->getGenreName(), "Unknown");
    EXPECT_EQ(f.db->genreGroups().getNames(), std::vector<std::string>{"Unknown"});
    EXPECT_EQ(f.db->artistGroups().getNames(), std::vector<std::string>{""});

    MusicInfo info{"/m/b.mp3", "Title", "Artist", "Album", 17,    "Comment",
                   1999,       7,       240000,   5000000, 123456};
    f.tags->add(info.path);
    MusicItem* full = f.db->library().itemAt(f.db->library().add(info, false));
    EXPECT_EQ(full->getInfo(), info);
    EXPECT_EQ(full->getGenreName(), "Rock");
}

TEST(MusicItem, EqualValueTouchesNothingButStillTellsListeners) {
    Recorder library;
    Fixture f;
    MusicItem* item = f.addItem("/m/a.mp3", "Same");
    f.db->library().addListener(&library);

    item->setTitle("Same");
    item->setArtist("");
    item->setYear(0);

    EXPECT_TRUE(f.tags->edits.empty());
    EXPECT_FALSE(item->isModified());
    EXPECT_EQ(library.kinds(), std::vector<ChangeKind>(3, ChangeKind::ItemChanged));
}

// Each edit is one commit of the edited field; comment and track go together.
TEST(MusicItem, EditIsWrittenToTheFileAndTakesItsTime) {
    Fixture f;
    MusicItem* item = f.addItem("/m/a.mp3", "Old");
    item->setTitle("New");
    item->setComment("c");
    item->setTrack(5);
    const auto& edits = f.tags->edits;
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[0].second.title, "New");
    EXPECT_FALSE(edits[0].second.artist || edits[0].second.commentTrack);
    for (size_t i = 1; i < 3; ++i) {
        ASSERT_TRUE(edits[i].second.commentTrack);
        EXPECT_EQ(edits[i].second.commentTrack->comment, "c");
    }
    EXPECT_EQ(edits[1].second.commentTrack->track, 0u);
    EXPECT_EQ(edits[2].second.commentTrack->track, 5u);
    EXPECT_EQ(f.tags->files["/m/a.mp3"].tag.title, "New");
    EXPECT_EQ(item->getModified(), f.tags->files["/m/a.mp3"].modified);
    EXPECT_TRUE(item->isModified());
}

TEST(MusicItem, FailedCommitLeavesTheEditNewerThanTheFile) {
    Fixture f;
    MusicItem* item = f.addItem("/m/a.mp3", "Old");
    f.tags->files["/m/a.mp3"].writable = false;
    const uint32_t before = currentTime();
    item->setTitle("New");
    EXPECT_EQ(item->getTitle(), "New");
    EXPECT_GE(item->getModified(), before);
    EXPECT_GT(item->getModified(), f.tags->files["/m/a.mp3"].modified);

    f.tags->files.erase("/m/a.mp3");  // unreadable as music: the same rule
    item->setTitle("Newer");
    EXPECT_GE(item->getModified(), before);
}

TEST(MusicItem, ArtistEditMovesTheItemBetweenGroups) {
    Recorder list;
    Fixture f;
    MusicItem* item = f.addItem("/m/a.mp3", "T", "A");
    f.addItem("/m/b.mp3", "T", "Shared");
    f.db->artistGroups().addListener(&list);

    item->setArtist("Shared");

    EXPECT_EQ(f.db->artistGroups().getNames(), std::vector<std::string>{"Shared"});
    EXPECT_EQ(f.db->artistGroups().get("Shared").count(), 2u);
    EXPECT_EQ(item->getArtist(), "Shared");
    EXPECT_EQ(list.kinds(), std::vector<ChangeKind>{ChangeKind::Removed});
    EXPECT_EQ(f.tags->files["/m/a.mp3"].tag.artist, "Shared");
}

TEST(MusicItem, GenreGroupFollowsTheTableName) {
    Recorder unknown;
    Fixture f;
    MusicItem* item = f.addItem("/m/a.mp3");
    f.db->flushAll();
    f.db->genreGroups().get("Unknown").addListener(&unknown);
    item->setGenre(200);  // no name either: stays in "Unknown"
    EXPECT_EQ(item->getGenre(), 200u);
    EXPECT_EQ(unknown.kinds(), std::vector<ChangeKind>{ChangeKind::ItemChanged});
    item->setGenre(8);
    EXPECT_EQ(f.db->genreGroups().getNames(), std::vector<std::string>{"Jazz"});
    EXPECT_EQ(f.tags->files["/m/a.mp3"].tag.genre, 8u);
}

TEST(MusicItem, SetInfoCommitsAllDifferingTagFieldsOnce) {
    Fixture f;
    MusicItem* item = f.addItem("/m/a.mp3", "T", "A", "B");
    MusicInfo info = item->getInfo();
    info.title = "T2";
    info.album = "B2";
    info.year = 2001;
    info.playTime = 99;
    info.modified = 1;  // never applied
    item->setInfo(info);

    ASSERT_EQ(f.tags->edits.size(), 1u);
    const TagEdit& edit = f.tags->edits[0].second;
    EXPECT_EQ(std::make_tuple(edit.title, edit.album, edit.year),
              std::make_tuple("T2", "B2", 2001u));
    EXPECT_FALSE(edit.artist || edit.commentTrack);
    EXPECT_EQ(item->getPlayTime(), 99u);
    EXPECT_NE(item->getModified(), 1u);
    EXPECT_EQ(f.db->albumGroups().getNames(), std::vector<std::string>{"B2"});
}

TEST(MusicItem, PathEditKeepsTheLibraryFindingTheItem) {
    Fixture f;
    MusicItem* item = f.addItem("/m/a.mp3");
    item->setPath("/m/b.mp3");
    EXPECT_TRUE(item->isModified());
    EXPECT_TRUE(f.tags->edits.empty());
    EXPECT_EQ(f.db->library().add(f.record("/M/B.MP3"), false), 0u);
    EXPECT_EQ(f.db->library().add(f.record("/m/a.mp3"), false), 1u);
}
