#include "mdb/GenreTable.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "mdb/Exceptions.h"

using namespace mdb;
using mdbtest::TempDir;
using mdbtest::writeText;

TEST(GenreTable, BuiltInStandardListKeptWhenTheFileIsMissing) {
    const GenreTable table;
    EXPECT_EQ(table.count(), 80u);
    EXPECT_EQ(table.name(0), "Blues");
    EXPECT_EQ(table.name(79), "Hard Rock");
    for (const uint32_t beyond : {80u, 255u, 1000u}) {
        EXPECT_EQ(table.name(beyond), "Unknown") << beyond;
    }
    TempDir dir;
    GenreTable missing;
    EXPECT_EQ(mdbtest::thrownText<FileIOException>([&] { missing.load(dir / "genre.dat"); }),
              dir / "genre.dat");
    EXPECT_EQ(missing.count(), 80u);
}

TEST(GenreTable, FileAddsAndRenamesGenres) {
    TempDir dir;
    writeText(dir / "genre.dat",
              "80,Folk\r\n"
              "12,Misc\n"
              "255,\"Nothing, really\"\n"
              " 81,Leading space\n"
              "82,\n"
              "256,Too far\n"
              "abc\n"
              "\n"
              "83,First\n"
              "83,Second\n");
    GenreTable table;
    table.load(dir / "genre.dat");
    EXPECT_EQ(table.name(80), "Folk");
    EXPECT_EQ(table.name(12), "Misc");
    EXPECT_EQ(table.name(255), "Nothing, really");
    EXPECT_EQ(table.name(81), "Unknown");
    EXPECT_EQ(table.name(82), "Unknown");
    EXPECT_EQ(table.name(83), "Second");
    EXPECT_EQ(table.name(256), "Unknown");
    EXPECT_EQ(table.count(), 256u);
}

TEST(GenreTable, ShippedFileNamesTheExtendedGenres) {
    GenreTable table;
    table.load(MELODUX_ASSETS_DIR "/genre.dat");
    EXPECT_EQ(table.count(), 192u);
    EXPECT_EQ(table.name(79), "Hard Rock");  // the standard list stays
    EXPECT_EQ(table.name(80), "Folk");
    EXPECT_EQ(table.name(191), "Psybient");
    for (uint32_t n = 0; n < table.count(); ++n) {
        EXPECT_NE(table.name(n), "Unknown") << n;
    }
}
