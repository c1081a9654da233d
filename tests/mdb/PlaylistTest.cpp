#include "mdb/MutableGroup.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "TestSupport.h"
#include "mdb/Exceptions.h"

using namespace mdb;
using mdbtest::Fixture;
using mdbtest::Recorder;

namespace {

struct PlaylistFixture : Fixture {
    PlaylistFixture() : list(db->playlists().create("P")) {
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            items.push_back(addItem(std::string("/m/") + name + ".mp3", name, name));
        }
        list.insert(0, items);
    }
    std::string order() const {
        std::string out;
        for (size_t i = 0; i < list.count(); ++i) {
            out += list.itemAt(i)->getTitle();
        }
        return out;
    }
    MutableGroup& list;
    std::vector<MusicItem*> items;
};

}  // namespace

// Inserting at the count appends; duplicates stay until removeAll;
// removeAt takes the positions before the call; bad positions change nothing.
TEST(Playlist, EditsByPositionKeepDuplicatesAndRefuseBadPositions) {
    PlaylistFixture f;
    f.list.insert(5, f.items[1]);
    EXPECT_EQ(f.order(), "abcdeb");
    EXPECT_EQ(mdbtest::thrownText<std::out_of_range>([&] { f.list.insert(7, f.items[0]); }),
              "too large");
    f.list.removeAll(f.items[1]);
    EXPECT_EQ(f.order(), "acde");
    EXPECT_FALSE(f.list.contains(f.items[1]));
    f.list.removeAt({3, 1});
    EXPECT_EQ(f.order(), "ad");
    EXPECT_THROW(f.list.removeAt({0, 2}), std::out_of_range);
    EXPECT_EQ(f.order(), "ad");
}

TEST(Playlist, MoveLandsBeforeTheEntryThatStoodAtTarget) {
    PlaylistFixture f;
    f.list.move({4}, 0);
    EXPECT_EQ(f.order(), "eabcd");
    f.list.move({0}, 3);
    EXPECT_EQ(f.order(), "abecd");
    f.list.move({4, 0}, 2);  // collected in the order given
    EXPECT_EQ(f.order(), "bdaec");
    f.list.move({0}, 5);
    EXPECT_EQ(f.order(), "daecb");
    EXPECT_THROW(f.list.move({0}, 6), std::out_of_range);
    EXPECT_THROW(f.list.move({5}, 0), std::out_of_range);
    EXPECT_EQ(f.order(), "daecb");
}

TEST(Playlist, EveryEditFlushesAndMarksModified) {
    Recorder recorder;
    PlaylistFixture f;
    f.db->playlists().clearModified();
    f.list.addListener(&recorder);
    f.list.move({1}, 0);
    f.list.removeAt({0});
    f.list.sort(MusicInfo::Title, false);
    f.list.clear();
    f.list.clear();  // already empty: nothing
    using K = ChangeKind;
    EXPECT_EQ(recorder.kinds(), (std::vector<K>{K::Moved, K::Removed, K::Sorted, K::Removed}));
    EXPECT_TRUE(f.list.isModified());
    EXPECT_TRUE(f.db->playlists().isModified());
}

TEST(PlaylistSet, RenameRefusesNamesInUseWithExactMessages) {
    Fixture f;
    auto& a = f.db->playlists().create("A");
    f.db->playlists().create("B");
    EXPECT_EQ(
        mdbtest::thrownText<AlreadyExistsException>([&] { f.db->playlists().rename("A", "B"); }),
        "B");
    EXPECT_EQ(
        mdbtest::thrownText<AlreadyExistsException>([&] { f.db->playlists().rename("A", "A"); }),
        "A");
    EXPECT_EQ(
        mdbtest::thrownText<NotFoundException>([&] { f.db->playlists().rename("missing", "C"); }),
        "missing");
    EXPECT_EQ(f.db->playlists().getNames(), (std::vector<std::string>{"A", "B"}));
    f.db->playlists().rename("A", "C");
    EXPECT_EQ(&f.db->playlists().get("C"), &a);
    EXPECT_EQ(a.getName(), "C");
    EXPECT_THROW(f.db->playlists().get("A"), NotFoundException);
}

TEST(PlaylistSet, NamesThatCannotBeStoredAreRefused) {
    Fixture f;
    f.db->playlists().create("A");
    for (const std::string& name : {std::string(), std::string("a\nb"), std::string("a\0b", 3),
                                    std::string("\xff"), std::string(1025, 'n')}) {
        EXPECT_THROW(f.db->playlists().create(name), std::invalid_argument) << name;
        EXPECT_THROW(f.db->playlists().rename("A", name), std::invalid_argument) << name;
    }
    EXPECT_EQ(mdbtest::thrownText<std::invalid_argument>([&] { f.db->playlists().create(""); }),
              "a playlist needs a name");
    EXPECT_EQ(f.db->playlists().getNames(), std::vector<std::string>{"A"});
}

TEST(PlaylistSet, NamesDifferingInCaseAreTwoPlaylistsSideBySide) {
    Fixture f;
    for (const char* name : {"rock", "Jazz", "Rock", "jazz", "Blues"}) {
        f.db->playlists().create(name);
    }
    f.db->playlists().create("rock");  // exists: the same playlist
    EXPECT_EQ(f.db->playlists().getNames(),
              (std::vector<std::string>{"Blues", "Jazz", "jazz", "Rock", "rock"}));
}

TEST(PlaylistSet, LibraryRemovalsReachThePlaylists) {
    PlaylistFixture f;
    f.list.insert(0, f.items[2]);
    f.db->library().remove(f.items[2]);
    EXPECT_EQ(f.order(), "abde");
    EXPECT_EQ(f.db->library().count(), 4u);
    EXPECT_THROW(f.db->artistGroups().get("c"), NotFoundException);
    // Clearing the library empties the playlists but keeps them.
    f.db->library().clear();
    EXPECT_EQ(f.db->playlists().count(), 1u);
    EXPECT_EQ(f.list.count(), 0u);
    EXPECT_EQ(f.db->artistGroups().count(), 0u);
}
