#include <gtest/gtest.h>

#include "TestSupport.h"
#include "mdb/Exceptions.h"

using namespace mdb;
using mdbtest::Fixture;
using mdbtest::Recorder;

using K = ChangeKind;

TEST(Notification, PendingKindIsOverwrittenAndFlushedOnce) {
    Recorder library;
    Fixture f;
    f.addItem("/m/a.mp3");
    f.db->library().addListener(&library);
    f.db->library().addListener(&library);  // a second registration does nothing

    f.db->library().move({0}, 1);  // Moved, not flushed
    EXPECT_TRUE(library.events.empty());
    f.db->library().add(f.record("/m/b.mp3"), false);  // Added overwrites Moved and flushes
    EXPECT_EQ(library.kinds(), std::vector<K>{K::Added});
    EXPECT_EQ(library.events[0].source, &f.db->library());

    f.db->library().flush();  // nothing pending
    EXPECT_EQ(library.events.size(), 1u);

    f.db->library().removeListener(&library);
    f.db->library().sort(MusicInfo::Title, true);
    EXPECT_EQ(library.events.size(), 1u);
}

TEST(Notification, ItemChangedIsDeliveredAtOnceByEveryHolder) {
    Recorder library, artist, album, inPlaylist, notInPlaylist;
    Fixture f;
    MusicItem* a = f.addItem("/m/a.mp3", "T", "Artist", "Album");
    MusicItem* b = f.addItem("/m/b.mp3", "T", "Other", "Album");
    auto& holding = f.db->playlists().create("holding");
    auto& other = f.db->playlists().create("other");
    holding.insert(0, a);
    other.insert(0, b);
    f.db->library().addListener(&library);
    f.db->artistGroups().get("Artist").addListener(&artist);
    f.db->albumGroups().get("Album").addListener(&album);
    holding.addListener(&inPlaylist);
    other.addListener(&notInPlaylist);

    a->setPlayTime(1234);

    EXPECT_EQ(library.kinds(), std::vector<K>{K::ItemChanged});
    EXPECT_EQ(artist.kinds(), std::vector<K>{K::ItemChanged});
    EXPECT_EQ(album.kinds(), std::vector<K>{K::ItemChanged});
    EXPECT_EQ(inPlaylist.kinds(), std::vector<K>{K::ItemChanged});
    EXPECT_TRUE(notInPlaylist.events.empty());
}

TEST(Notification, FlushAllGoesLibraryGroupsThenPlaylists) {
    std::vector<std::string> order;
    struct Named : ChangeListener {
        Named(std::vector<std::string>& o, std::string n) : order(o), name(std::move(n)) {}
        void onChange(const ChangeEvent&) override { order.push_back(name); }
        std::vector<std::string>& order;
        std::string name;
    };
    Named library(order, "library"), artists(order, "artists"), group(order, "group"),
        set(order, "set");
    Fixture f;
    MusicItem* a = f.addItem("/m/a.mp3", "T", "A");
    f.addItem("/m/b.mp3", "T", "A");
    f.db->playlists().create("Q");
    f.db->flushAll();
    f.db->library().addListener(&library);
    f.db->artistGroups().addListener(&artists);
    f.db->artistGroups().get("A").addListener(&group);
    f.db->playlists().addListener(&set);

    f.db->library().move({0}, 0);   // pends Moved
    f.db->playlists().remove("Q");  // pends Removed
    EXPECT_TRUE(order.empty());
    a->setArtist("B");  // group A loses an item, the list gains group B

    EXPECT_EQ(order, (std::vector<std::string>{"library", "group", "artists", "set",
                                               "library"}));  // the last is ItemChanged
}

// Groups and playlists that go tell their listeners Destroyed.
TEST(Notification, GroupAndPlaylistDestructionIsDeliveredToTheirListeners) {
    Recorder group, list;
    Fixture f;
    MusicItem* a = f.addItem("/m/a.mp3", "T", "X");
    f.db->artistGroups().get("X").addListener(&group);
    f.db->artistGroups().addListener(&list);

    a->setArtist("Y");

    EXPECT_EQ(group.kinds(), (std::vector<K>{K::Destroyed}));
    EXPECT_EQ(list.kinds(), (std::vector<K>{K::Added}));  // Removed overwritten by Added
    EXPECT_THROW(f.db->artistGroups().get("X"), NotFoundException);

    Recorder playlist, set;
    auto& p = f.db->playlists().create("P");
    p.addListener(&playlist);
    f.db->playlists().addListener(&set);
    f.db->playlists().remove(std::vector<std::string>{"P", "absent"});
    EXPECT_EQ(playlist.kinds(), std::vector<K>{K::Destroyed});
    EXPECT_EQ(set.kinds(), std::vector<K>{K::Removed});
}

TEST(Notification, ListenerMayUnregisterWhileBeingTold) {
    Recorder second;
    Fixture f;
    struct OneShot : ChangeListener {
        explicit OneShot(ChangeSource& s) : source(s) {}
        void onChange(const ChangeEvent&) override {
            ++calls;
            source.removeListener(this);
        }
        ChangeSource& source;
        int calls = 0;
    };
    OneShot first(f.db->library());
    f.db->library().addListener(&first);
    f.db->library().addListener(&second);
    f.addItem("/m/a.mp3");
    f.addItem("/m/b.mp3");
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.events.size(), 2u);
}
