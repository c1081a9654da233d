#include "mdb/MusicItemList.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

#include "TestSupport.h"
#include "mdb/Exceptions.h"

using namespace mdb;
using mdbtest::Fixture;
using mdbtest::Recorder;

TEST(Library, AcceptsRegisteredExtensionsInAnyCase) {
    Fixture f;
    f.tags->add("/m/LOUD.MP3", "loud");
    f.tags->add("/m/a.mp3.bak");
    f.tags->add("/m/noext");
    EXPECT_EQ(f.db->library().addFile("/m/LOUD.MP3"), 0u);
    EXPECT_EQ(f.db->library().addFile("/m/a.mp3.bak"), kNoIndex);
    EXPECT_EQ(f.db->library().addFile("/m/noext"), kNoIndex);
    f.db->library().addExtension("BAK");
    EXPECT_EQ(f.db->library().addFile("/m/a.mp3.bak"), 1u);
    EXPECT_EQ(f.db->library().getExtensions(),
              (std::vector<std::string>{"mp3", "rmp", "wav", "wma", "bak"}));
}

// Relative and missing files are refused with exact messages; the same
// path in another case is not added twice.
TEST(Library, RefusesRelativeMissingAndCaseVariantPaths) {
    Fixture f;
    EXPECT_EQ(
        mdbtest::thrownText<std::invalid_argument>([&] { f.db->library().addFile("m/a.mp3"); }),
        "Not absolute path.");
    EXPECT_THROW(f.db->library().add(f.record("a.mp3"), false), std::invalid_argument);
    EXPECT_EQ(
        mdbtest::thrownText<FileIOException>([&] { f.db->library().addFile("/m/missing.mp3"); }),
        "/m/missing.mp3");
    EXPECT_EQ(f.db->library().count(), 0u);
    f.tags->add("/m/Song.mp3", "Song");
    f.tags->add("/M/SONG.MP3", "Song");
    EXPECT_EQ(f.db->library().addFile("/m/Song.mp3"), 0u);
    f.addItem("/m/other.mp3");
    EXPECT_EQ(f.db->library().addFile("/M/SONG.MP3"), 0u);
    EXPECT_EQ(f.db->library().add(f.record("/m/song.MP3"), false), 0u);
    EXPECT_EQ(f.db->library().count(), 2u);
}

TEST(Library, AddFileTakesTheTagAndTheFileStatus) {
    Fixture f;
    auto& file = f.tags->add("/m/a.mp3", "Title");
    file.tag.artist = "Artist";
    file.tag.genre = 13;
    file.tag.track = 4;
    file.tag.playTime = 180000;
    file.size = 5000000000ull;  // beyond 32 bits: the stored size saturates
    MusicItem* item = f.db->library().itemAt(f.db->library().addFile("/m/a.mp3"));
    EXPECT_EQ(item->getTitle() + "|" + item->getArtist() + "|" + item->getGenreName(),
              "Title|Artist|Pop");
    EXPECT_EQ(std::make_tuple(item->getTrack(), item->getPlayTime(), item->getSize(),
                              int64_t{item->getModified()}),
              std::make_tuple(4u, 180000u, 4294967295u, file.modified));
    EXPECT_TRUE(f.tags->edits.empty());
}

TEST(Library, UnreadableTagGivesTheFileNameAndIsReadBySynchronize) {
    Fixture f;
    auto& file = f.tags->add("/m/dir/曲.mp3", "Real Title");
    file.readable = false;
    MusicItem* item = f.db->library().itemAt(f.db->library().addFile("/m/dir/曲.mp3"));
    EXPECT_EQ(item->getTitle(), "曲.mp3");
    EXPECT_EQ(item->getSize(), 0u);
    EXPECT_EQ(item->getModified(), 0u);

    file.readable = true;
    f.db->library().synchronize();
    EXPECT_EQ(item->getTitle(), "Real Title");
    EXPECT_EQ(item->getModified(), file.modified);
    EXPECT_TRUE(f.tags->edits.empty());  // taking the file's tag writes nothing back
}

TEST(Library, WriteTagOnAddCommitsTheRecord) {
    Fixture f;
    f.tags->add("/m/a.mp3", "old");
    MusicInfo info = f.record("/m/a.mp3", "new", "who");
    const size_t index = f.db->library().add(info, true);
    EXPECT_EQ(f.tags->files["/m/a.mp3"].tag.title, "new");
    EXPECT_EQ(f.tags->files["/m/a.mp3"].tag.artist, "who");
    EXPECT_EQ(f.db->library().itemAt(index)->getModified(), f.tags->files["/m/a.mp3"].modified);
}

TEST(Library, SynchronizeTakesAnExternalRetag) {
    Fixture f;
    MusicItem* item = f.addItem("/m/a.mp3", "Old", "Old Artist");
    auto& file = f.tags->files["/m/a.mp3"];
    file.tag.title = "Retagged";
    file.tag.artist = "New Artist";
    file.modified += 10;
    f.db->library().clearModified();

    f.db->library().synchronize();

    EXPECT_EQ(item->getTitle(), "Retagged");
    EXPECT_EQ(f.db->artistGroups().getNames(), std::vector<std::string>{"New Artist"});
    EXPECT_EQ(item->getModified(), file.modified);
    EXPECT_TRUE(f.db->library().isModified());
    const int reads = f.tags->reads;
    f.db->library().synchronize();  // in step now: nothing read or written
    EXPECT_EQ(f.tags->reads, reads);
    EXPECT_TRUE(f.tags->edits.empty());
}

TEST(Library, SynchronizeRetriesAWriteThatFailedOnAReadOnlyFile) {
    Fixture f;
    MusicItem* item = f.addItem("/m/a.mp3", "Old");
    auto& file = f.tags->files["/m/a.mp3"];
    file.writable = false;
    item->setTitle("Edited");
    EXPECT_EQ(file.tag.title, "Old");

    f.db->library().synchronize();  // still read-only: the edit stays newer
    EXPECT_EQ(file.tag.title, "Old");
    EXPECT_EQ(item->getTitle(), "Edited");

    file.writable = true;
    f.db->library().synchronize();
    EXPECT_EQ(file.tag.title, "Edited");
    EXPECT_EQ(item->getModified(), file.modified);
    const size_t writes = f.tags->edits.size();
    f.db->library().synchronize();
    EXPECT_EQ(f.tags->edits.size(), writes);
}

TEST(Library, SynchronizeRemovesVanishedFilesEverywhere) {
    Recorder library;
    Fixture f;
    MusicItem* kept = f.addItem("/m/kept.mp3", "kept", "Kept");
    MusicItem* gone = f.addItem("/m/gone.mp3", "gone", "Gone");
    auto& playlist = f.db->playlists().create("P");
    playlist.insert(0, std::vector{gone, kept, gone});
    f.db->library().addListener(&library);

    f.tags->files.erase("/m/gone.mp3");
    f.db->library().synchronize();

    EXPECT_EQ(f.db->library().count(), 1u);
    EXPECT_EQ(f.db->library().itemAt(0), kept);
    EXPECT_EQ(playlist.count(), 1u);
    EXPECT_EQ(f.db->artistGroups().getNames(), std::vector<std::string>{"Kept"});
    EXPECT_EQ(library.kinds(), std::vector<ChangeKind>{ChangeKind::Removed});
}

TEST(Library, RemoveAtTakesPositionsBeforeTheCall) {
    Fixture f;
    f.addItem("/m/0.mp3", "0");
    MusicItem* middle = f.addItem("/m/1.mp3", "1");
    f.addItem("/m/2.mp3", "2");
    f.db->library().removeAt({2, 0});
    EXPECT_EQ(f.db->library().count(), 1u);
    EXPECT_EQ(f.db->library().itemAt(0), middle);
    EXPECT_EQ(f.db->library().indexOf(middle), 0u);
    EXPECT_EQ(mdbtest::thrownText<std::out_of_range>([&] { f.db->library().removeAt(1); }),
              "too large");
}

TEST(Library, IndexOfAnItemNotInTheLibraryIsUnknown) {
    Fixture f;
    MusicItem* item = f.addItem("/m/0.mp3");
    f.addItem("/m/1.mp3");
    f.db->library().move({1}, 0);
    EXPECT_EQ(f.db->library().indexOf(item), 1u);
    f.db->library().remove(item);
    f.db->library().remove(item);  // no longer there: ignored
    EXPECT_EQ(mdbtest::thrownText<NotFoundException>([&] { f.db->library().indexOf(item); }),
              "Unknown");
    MusicInfo out;
    EXPECT_FALSE(f.db->library().getInfo(item, out));
}

TEST(Library, AddFilesReportsEveryIndex) {
    Fixture f;
    for (const char* path : {"/m/a.mp3", "/m/b.mp3", "/m/A.mp3"}) {
        f.tags->add(path);
    }
    std::vector<size_t> indices{42};
    f.db->library().addFiles({"/m/a.mp3", "/m/x.txt", "/m/b.mp3", "/m/A.mp3"}, indices);
    EXPECT_EQ(indices, (std::vector<size_t>{0, kNoIndex, 1, 0}));
    EXPECT_THROW(f.db->library().addFiles({"/m/gone.mp3"}, indices), FileIOException);
}
