#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "TestSupport.h"
#include "mdb/ItemSearch.h"

using namespace mdb;
using mdbtest::FakeTags;
using mdbtest::Fixture;
using mdbtest::titlesOf;

namespace {

MusicCriterion criterion(uint32_t mask) {
    MusicCriterion c;
    c.mask = mask;
    return c;
}

}  // namespace

// Titles ignore ASCII case and descending is the reverse; genres sort by
// name, not number; sizes compare unsigned; equal values neither go first.
TEST(Sort, TextIgnoresCaseGenreGoesByNameNumbersAreUnsigned) {
    Fixture f;
    for (const char* title : {"banana", "Apple", "cherry", "apple pie"}) {
        f.addItem(std::string("/m/") + title + ".mp3", title);
    }
    f.db->library().sort(MusicInfo::Title, true);
    EXPECT_EQ(titlesOf(f.db->library()),
              (std::vector<std::string>{"Apple", "apple pie", "banana", "cherry"}));
    f.db->library().sort(MusicInfo::Title, false);
    EXPECT_EQ(titlesOf(f.db->library()),
              (std::vector<std::string>{"cherry", "banana", "apple pie", "Apple"}));

    Fixture g;
    MusicItem* rock = g.addItem("/m/1.mp3", "rock");
    MusicItem* blues = g.addItem("/m/2.mp3", "blues");
    MusicItem* jazz = g.addItem("/m/3.mp3", "jazz");
    rock->setGenre(17);  // "Rock"
    blues->setGenre(0);  // "Blues"
    jazz->setGenre(8);   // "Jazz"
    g.db->library().sort(MusicInfo::Genre, true);
    EXPECT_EQ(titlesOf(g.db->library()), (std::vector<std::string>{"blues", "jazz", "rock"}));

    rock->setSize(3000000000u);
    blues->setSize(5);
    const SortKey ascending(MusicInfo::Size, true);
    EXPECT_TRUE(ascending(*blues, *rock));
    EXPECT_FALSE(ascending(*rock, *blues));
    EXPECT_FALSE(SortKey(MusicInfo::Path, false)(*rock, *rock));
    g.db->library().sort(MusicInfo::Size, false);
    EXPECT_EQ(titlesOf(g.db->library()), (std::vector<std::string>{"rock", "blues", "jazz"}));
}

// Paths that share a long prefix and differ in case, length, bytes above
// 0x7F and only after many bytes: the order is that of the lowercased
// bytes. Equal keys keep the order they had.
TEST(Sort, LongSharedPrefixesOrderByTheLowercasedBytesStably) {
    Fixture f;
    const std::string base = "/home/user/Music/Same Artist/";
    const std::vector<std::string> tails = {"b.mp3", "B1.mp3", "a.mp3", "ab.mp3", "abcdefghij1.mp3",
                                            "ABCDEFGHIJ0.mp3", "abcdefghij.mp3", "\xe6\x9d\xb1.mp3",
                                            "\xc3\xa9.mp3", "z.mp3", "a.mp3.mp3", "ABCDEFGHIJ2.mp3",
                                            // Alike beyond the 16 bytes an entry carries.
                                            "abcdefghijklmnopq1.mp3", "ABCDEFGHIJKLMNOPQ0.mp3"};
    for (size_t i = 0; i < tails.size(); ++i) {
        f.addItem(base + tails[i], i == 3 || i == 9 ? "same" : "t" + std::to_string(i));
    }
    std::vector<std::string> expected = tails;
    std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
        return toLowerAscii(a) < toLowerAscii(b);
    });
    const auto tailsNow = [&] {
        std::vector<std::string> now;
        for (size_t i = 0; i < f.db->library().count(); ++i) {
            now.push_back(f.db->library().itemAt(i)->getPath().substr(base.size()));
        }
        return now;
    };
    f.db->library().sort(MusicInfo::Path, true);
    EXPECT_EQ(tailsNow(), expected);
    std::reverse(expected.begin(), expected.end());
    f.db->library().sort(MusicInfo::Path, false);
    EXPECT_EQ(tailsNow(), expected);

    // Descending by path put z before ab; by title both are "same", first.
    f.db->library().sort(MusicInfo::Title, true);
    const std::vector<std::string> now = tailsNow();
    EXPECT_EQ(std::vector<std::string>(now.begin(), now.begin() + 2),
              (std::vector<std::string>{"z.mp3", "ab.mp3"}));
}

TEST(Sort, KeyMustNameExactlyOneField) {
    Fixture f;
    f.addItem("/m/1.mp3");
    for (const uint32_t bad : {0u, 3u, 2048u, 4096u}) {
        EXPECT_EQ(mdbtest::thrownText<std::invalid_argument>(
                      [&] { f.db->library().sort(static_cast<MusicInfo::Type>(bad), true); }),
                  "Invalid MusicInfo::Type.")
            << bad;
    }
}

TEST(Search, FieldsAreAndedCriteriaAreOred) {
    Fixture f;
    f.addItem("/m/1.mp3", "Love Song", "Alice");
    f.addItem("/m/2.mp3", "Love Letter", "Bob");
    f.addItem("/m/3.mp3", "Hate Song", "Bob");
    MusicCriterion both = criterion(MusicInfo::Title | MusicInfo::Artist);
    both.title = "love";
    both.artist = "bob";
    std::vector<MusicItem*> found;
    ASSERT_TRUE(f.db->library().findAll(both, false, found));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->getTitle(), "Love Letter");

    MusicCriterion song = criterion(MusicInfo::Title);
    song.title = "SONG";
    MusicCriterion bob = criterion(MusicInfo::Artist);
    bob.artist = "Bob";
    EXPECT_TRUE(f.db->library().findAll(std::vector{song, bob}, false, found));
    EXPECT_EQ(found.size(), 3u);  // each item once

    MusicCriterion exact = criterion(MusicInfo::Title);
    exact.title = "love";
    EXPECT_FALSE(f.db->library().findAll(exact, true, found));
    EXPECT_TRUE(found.empty());
    EXPECT_TRUE(f.db->library().findAll(criterion(0), true, found));
    EXPECT_EQ(found.size(), 3u);

    // A path differing in ASCII case matches under both matchers.
    MusicCriterion path = criterion(MusicInfo::Path);
    path.path = "/M/1.MP3";
    EXPECT_TRUE(f.db->library().findAll(path, true, found));
    EXPECT_TRUE(f.db->library().findAll(path, false, found));
    EXPECT_EQ(found.size(), 1u);
}

TEST(Search, NumbersAndGenreCompareForEquality) {
    Fixture f;
    MusicItem* a = f.addItem("/m/1.mp3");
    f.addItem("/m/2.mp3");
    a->setGenre(17);
    a->setYear(1999);
    MusicCriterion c = criterion(MusicInfo::Genre | MusicInfo::Year);
    c.genre = 17;
    c.year = 1999;
    size_t index = 99;
    EXPECT_TRUE(f.db->library().findFirst(c, false, 0, index));
    EXPECT_EQ(index, 0u);
    EXPECT_FALSE(f.db->library().findFirst(c, false, 1, index));
    EXPECT_FALSE(f.db->library().findFirst(c, false, 2, index));
}

TEST(Search, ContainmentIgnoresAsciiCaseAnywhereInTheField) {
    Fixture f;
    f.addItem("/m/1.mp3", "gone, Ghosts, GHOST");
    f.addItem("/m/2.mp3", "ghos");
    f.addItem("/m/xyz/2.mp3", "The BEATLES");
    f.addItem("/m/3.mp3", "東京事変 LIVE");
    const auto hits = [&](uint32_t mask, const std::string& text) {
        MusicCriterion c = criterion(mask);
        c.path = c.title = text;
        std::vector<MusicItem*> found;
        f.db->library().findAll(c, false, found);
        return found.size();
    };
    EXPECT_EQ(hits(MusicInfo::Title, "GHOST"), 1u);
    EXPECT_EQ(hits(MusicInfo::Title, "beat"), 1u);
    EXPECT_EQ(hits(MusicInfo::Title, "beatles!"), 0u);
    EXPECT_EQ(hits(MusicInfo::Title, "事変 live"), 1u);
    EXPECT_EQ(hits(MusicInfo::Title, ""), 4u);
    EXPECT_EQ(hits(MusicInfo::Path, "Z/2.MP3"), 1u);  // at the very end
}

// Searches read a lowercased copy of the text fields; every way a field can
// change must reach it, in the library and in groups alike.
TEST(Search, FindsItemsByTheirTextAfterEveryKindOfChange) {
    Fixture f;
    MusicItem* item = f.addItem("/m/old.mp3", "Old Title", "Old Artist", "Old Album");
    const auto finds = [&](MusicInfo::Type type, const std::string& text) {
        MusicCriterion c = criterion(type);
        c.path = c.title = c.artist = c.album = c.comment = text;
        std::vector<MusicItem*> inLibrary, inGroup;
        f.db->library().findAll(c, true, inLibrary);
        f.db->genreGroups().get("Unknown").findAll(c, false, inGroup);
        return inLibrary.size() == 1 && inGroup.size() == 1;
    };
    item->setTitle("New Title");
    item->setArtist("New Artist");
    item->setAlbum("New Album");
    item->setComment("New Comment");
    EXPECT_TRUE(finds(MusicInfo::Title, "new title"));
    EXPECT_FALSE(finds(MusicInfo::Title, "old title"));
    EXPECT_TRUE(finds(MusicInfo::Artist, "NEW ARTIST"));
    EXPECT_TRUE(finds(MusicInfo::Album, "new album"));
    EXPECT_TRUE(finds(MusicInfo::Comment, "new comment"));

    item->setPath("/m/New.mp3");
    EXPECT_TRUE(finds(MusicInfo::Path, "/m/new.mp3"));
    MusicInfo info = item->getInfo();
    info.title = "Set Title";
    info.artist = "Set Artist";
    item->setInfo(info);
    EXPECT_TRUE(finds(MusicInfo::Title, "set title"));
    EXPECT_TRUE(finds(MusicInfo::Artist, "set artist"));

    // Another program retags the file; synchronisation takes its tag.
    FakeTags::File& file = f.tags->add("/m/New.mp3", "Retagged");
    file.tag.artist = "Other Artist";
    file.modified = item->getModified() + 10;
    f.db->library().synchronize();
    EXPECT_TRUE(finds(MusicInfo::Title, "retagged"));
    EXPECT_TRUE(finds(MusicInfo::Artist, "other artist"));
    EXPECT_FALSE(finds(MusicInfo::Artist, "set artist"));
}

// Removals and repeated edits leave dead text behind in the search data,
// which is packed away from time to time; results must not change.
TEST(Search, StaysRightThroughManyRemovalsAndEdits) {
    Fixture f;
    std::vector<MusicItem*> items;
    for (int i = 0; i < 40; ++i) {
        items.push_back(f.addItem("/m/" + std::to_string(i) + ".mp3", "Song " + std::to_string(i)));
    }
    for (int i = 0; i < 40; i += 2) {
        f.db->library().remove(items[static_cast<size_t>(i)]);
    }
    for (int round = 0; round < 5; ++round) {
        for (int i = 1; i < 40; i += 2) {
            items[static_cast<size_t>(i)]->setTitle("Tune " + std::to_string(i * 10 + round));
        }
    }
    f.db->library().sort(MusicInfo::Path, false);
    MusicCriterion tune = criterion(MusicInfo::Title);
    tune.title = "TUNE";
    std::vector<MusicItem*> found;
    ASSERT_TRUE(f.db->library().findAll(tune, false, found));
    ASSERT_EQ(found.size(), 20u);
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i], f.db->library().itemAt(i));  // in list order
    }
    MusicCriterion song = criterion(MusicInfo::Title);
    song.title = "song";
    EXPECT_FALSE(f.db->library().findAll(song, false, found));
    MusicCriterion last = criterion(MusicInfo::Title);
    last.title = "tune 394";
    size_t index = 0;
    ASSERT_TRUE(f.db->library().findFirst(last, true, 0, index));
    EXPECT_EQ(f.db->library().itemAt(index), items[39]);
}
