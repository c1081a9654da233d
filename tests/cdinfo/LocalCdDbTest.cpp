#include "cdinfo/LocalCdDb.h"

#include <gtest/gtest.h>

#include <fstream>

#include "CdImage.h"
#include "cdinfo/DiscToc.h"

using namespace cdinfo;
using cdtest::TempDir;

namespace {

CddbEntry entryFor(std::vector<uint32_t> offsets, std::string title) {
    CddbEntry entry;
    entry.offsets = std::move(offsets);
    entry.title = std::move(title);
    entry.tracks.resize(entry.offsets.size());
    entry.states.resize(entry.offsets.size());
    return entry;
}

size_t filesUnder(const std::filesystem::path& root) {
    size_t n = 0;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        n += item.is_regular_file() ? 1 : 0;
    }
    return n;
}

}  // namespace

TEST(LocalCdDb, StoresAndFindsEntriesWithTheirTrackStates) {
    TempDir dir;
    const LocalCdDb db(dir.path() / "cddb");
    EXPECT_FALSE(db.find(0x1234, {150, 300}));

    CddbEntry entry = entryFor({150, 300}, "Album");
    entry.states[1] = {2, "/music/Album/02.mp3"};
    ASSERT_TRUE(db.store(0x1234, entry, "rock"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "cddb" / "rock" / "00001234"));

    const auto found = db.find(0x1234, {150, 300});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->category, "rock");
    EXPECT_EQ(found->entry.title, "Album");
    EXPECT_EQ(found->entry.states[1].state, 2);
    EXPECT_EQ(found->entry.states[1].path, "/music/Album/02.mp3");

    // Filed again under another category: one entry, no temporary left.
    ASSERT_TRUE(db.store(0x1234, entryFor({150, 300}, "Renamed"), "jazz"));
    EXPECT_EQ(filesUnder(dir.path()), 1u);
    EXPECT_EQ(db.find(0x1234, {150, 300})->entry.title, "Renamed");
    EXPECT_FALSE(db.store(0x1234, entry, "../escape"));
}

// Discs with the same id are told apart by their layout; older files in
// CP932 are read, unreadable ones skipped.
TEST(LocalCdDb, TellsDiscsWithTheSameIdApartAndReadsOlderFiles) {
    TempDir dir;
    const LocalCdDb db(dir.path());
    ASSERT_TRUE(db.store(0x1234, entryFor({150, 300}, "First"), "rock"));
    ASSERT_TRUE(db.store(0x1234, entryFor({150, 301}, "Second"), "misc"));
    EXPECT_EQ(db.find(0x1234, {150, 300})->entry.title, "First");
    EXPECT_EQ(db.find(0x1234, {150, 301})->entry.title, "Second");
    EXPECT_FALSE(db.find(0x1234, {150, 300, 400}));  // another track count
    std::filesystem::create_directories(dir.path() / "misc");
    std::filesystem::create_directories(dir.path() / "rock");
    // "テスト" in CP932, as the desktop program stored it.
    std::ofstream(dir.path() / "misc" / "00000a01", std::ios::binary)
        << "# Track frame offsets:\n#\t150\n#\nDTITLE=\x83\x65\x83\x58\x83\x67\nTTITLE0=x\n";
    std::ofstream(dir.path() / "rock" / "00000b01") << "not an entry\n";
    const auto found = db.find(0x0a01, {150});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->entry.title, "テスト");
    EXPECT_FALSE(db.find(0x0b01, {150}));
}
