#include <gtest/gtest.h>

#include <stdexcept>

#include "TestSupport.h"
#include "mdb/ItemSearch.h"

using namespace mdb;
using mdbtest::Fixture;

namespace {

std::vector<std::string> titles(MusicItemList& library) {
    std::vector<std::string> out;
    for (size_t i = 0; i < library.count(); ++i) {
        out.push_back(library.itemAt(i)->getTitle());
    }
    return out;
}

MusicCriterion criterion(uint32_t mask) {
    MusicCriterion c;
    c.mask = mask;
    return c;
}

}  // namespace

TEST(Sort, TitlesIgnoreAsciiCaseAndDescendingIsTheReverse) {
    Fixture f;
    for (const char* title : {"banana", "Apple", "cherry", "apple pie"}) {
        f.addItem(std::string("/m/") + title + ".mp3", title);
    }
    f.db->library().sort(MusicInfo::Title, true);
    EXPECT_EQ(titles(f.db->library()),
              (std::vector<std::string>{"Apple", "apple pie", "banana", "cherry"}));
    f.db->library().sort(MusicInfo::Title, false);
    EXPECT_EQ(titles(f.db->library()),
              (std::vector<std::string>{"cherry", "banana", "apple pie", "Apple"}));
}

TEST(Sort, GenreSortsByNameNotNumber) {
    Fixture f;
    MusicItem* rock = f.addItem("/m/1.mp3", "rock");
    MusicItem* blues = f.addItem("/m/2.mp3", "blues");
    MusicItem* jazz = f.addItem("/m/3.mp3", "jazz");
    rock->setGenre(17);  // "Rock"
    blues->setGenre(0);  // "Blues"
    jazz->setGenre(8);   // "Jazz"
    f.db->library().sort(MusicInfo::Genre, true);
    EXPECT_EQ(titles(f.db->library()), (std::vector<std::string>{"blues", "jazz", "rock"}));
}

TEST(Sort, EqualValuesNeitherGoFirstAndNumbersAreUnsigned) {
    Fixture f;
    MusicItem* big = f.addItem("/m/1.mp3", "big");
    MusicItem* small = f.addItem("/m/2.mp3", "small");
    big->setSize(3000000000u);
    small->setSize(5);
    const SortKey ascending(MusicInfo::Size, true);
    EXPECT_TRUE(ascending(*small, *big));
    EXPECT_FALSE(ascending(*big, *small));
    const SortKey byTitle(MusicInfo::Path, false);
    EXPECT_FALSE(byTitle(*big, *big));
    f.db->library().sort(MusicInfo::Size, false);
    EXPECT_EQ(titles(f.db->library()), (std::vector<std::string>{"big", "small"}));
}

TEST(Sort, KeyMustNameExactlyOneField) {
    Fixture f;
    f.addItem("/m/1.mp3");
    for (const uint32_t bad : {0u, 3u, 2048u, 4096u}) {
        try {
            f.db->library().sort(static_cast<MusicInfo::Type>(bad), true);
            FAIL() << bad;
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), "Invalid MusicInfo::Type.");
        }
    }
}

TEST(Search, PathDifferingInAsciiCaseMatchesUnderBothMatchers) {
    Fixture f;
    f.addItem("/Music/Song.mp3");
    MusicCriterion c = criterion(MusicInfo::Path);
    c.path = "/music/SONG.MP3";
    std::vector<MusicItem*> found;
    EXPECT_TRUE(f.db->library().findAll(c, true, found));
    EXPECT_TRUE(f.db->library().findAll(c, false, found));
    EXPECT_EQ(found.size(), 1u);
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

TEST(Search, ContainmentWorksOnMultibyteText) {
    Fixture f;
    f.addItem("/m/1.mp3", "東京事変 LIVE");
    MusicCriterion c = criterion(MusicInfo::Title);
    c.title = "事変 live";
    size_t index = 0;
    EXPECT_TRUE(f.db->library().findFirst(c, false, 0, index));
}
