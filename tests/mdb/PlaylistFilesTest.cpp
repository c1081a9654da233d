#include "mdb/PlaylistFiles.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "TestSupport.h"
#include "mdb/Exceptions.h"

using namespace mdb;
using mdbtest::Fixture;
using mdbtest::readText;
using mdbtest::TempDir;
using mdbtest::writeText;

namespace {

struct FilesFixture : Fixture {
    FilesFixture() : playlist(db->playlists().create("P")) {}

    std::vector<std::string> importInto(const std::string& text, int format,
                                        const std::string& name = "in.m3u") {
        writeText(dir / name, text);
        std::vector<std::string> failed;
        playlist.importReplacing(dir / name, format, failed);
        return failed;
    }

    TempDir dir;
    MutableGroup& playlist;
};

}  // namespace

TEST(PlaylistFiles, PlsExportNumbersEntriesWithRelativePaths) {
    FilesFixture f;
    f.playlist.insert(0, std::vector{f.addItem(f.dir / "sub/a.mp3"), f.addItem("/else/b.mp3")});
    f.playlist.exportTo(f.dir / "out.pls", kFormatPls);
    EXPECT_EQ(readText(f.dir / "out.pls"),
              "[playlist]\nFILE1=sub/a.mp3\nFILE2=/else/b.mp3\nNumberOfEntries=2\n");
    f.playlist.exportTo(f.dir / "out.m3u", kFormatM3u);
    EXPECT_EQ(readText(f.dir / "out.m3u"), "sub/a.mp3\n/else/b.mp3\n");
}

TEST(PlaylistFiles, M3uReadingSkipsCommentsAndResolvesPaths) {
    FilesFixture f;
    MusicItem* inside = f.addItem(f.dir / "sub/a.mp3");
    MusicItem* outside = f.addItem("/else/b.mp3");
    const auto failed = f.importInto(
        "#EXTM3U\r\n#EXTINF:123,Someone - Something\r\nsub\\a.mp3\r\n/else/b.mp3\r\n\r\n"
        "missing.mp3",
        kFormatM3u);
    ASSERT_EQ(f.playlist.count(), 2u);
    EXPECT_EQ(f.playlist.itemAt(0), inside);
    EXPECT_EQ(f.playlist.itemAt(1), outside);
    EXPECT_EQ(failed, (std::vector<std::string>{f.dir.path() + "/", f.dir / "missing.mp3"}));
}

// Entries that are not in the library are reported and leave the playlist
// as it was; an import of a missing file names it and clears nothing.
TEST(PlaylistFiles, ImportsThatFindNothingLeaveThePlaylistAsItWas) {
    FilesFixture f;
    f.importInto("a.mp3\nb.mp3\n", kFormatM3u);
    EXPECT_EQ(f.playlist.count(), 0u);
    std::vector<std::string> failed;
    writeText(f.dir / "x.m3u", "x.mp3\n");
    f.playlist.importAppending(f.dir / "x.m3u", kFormatM3u, failed);
    EXPECT_EQ(failed, std::vector<std::string>{f.dir / "x.mp3"});
    f.playlist.insert(0, f.addItem("/m/a.mp3"));
    EXPECT_EQ(mdbtest::thrownText<FileIOException>(
                  [&] { f.playlist.importReplacing(f.dir / "none.m3u", kFormatM3u, failed); }),
              f.dir / "none.m3u");
    EXPECT_EQ(f.playlist.count(), 1u);  // not cleared by a refused import
}

TEST(PlaylistFiles, PlsIsReadAsAProfileFileWithABoundedCount) {
    FilesFixture f;
    MusicItem* a = f.addItem(f.dir / "a.mp3");
    const auto failed = f.importInto(
        "; comment\n[other]\nFile1=nothing.mp3\n[PlayList]\n  file1 = \"a.mp3\"  \n"
        "NUMBEROFENTRIES=3\nFile1=ignored.mp3\n[playlist]\nFile2=also ignored.mp3\n",
        kFormatPls, "in.pls");
    ASSERT_EQ(f.playlist.count(), 1u);
    EXPECT_EQ(f.playlist.itemAt(0), a);
    EXPECT_EQ(failed, (std::vector<std::string>{f.dir.path() + "/", f.dir.path() + "/"}));
    EXPECT_EQ(
        f.importInto("[playlist]\nNumberOfEntries=99999999999999999999\n", kFormatPls, "x.pls")
            .size(),
        1000000u);
    EXPECT_TRUE(f.importInto("[playlist]\nNumberOfEntries=-5\n", kFormatPls, "y.pls").empty());
}

TEST(PlaylistFiles, PlaylistsFromTheOldDesktopAreReadAsCp932) {
    FilesFixture f;
    MusicItem* item = f.addItem(f.dir / "曲.mp3");
    f.importInto("\x8b\xc8.mp3\r\n", kFormatM3u);
    ASSERT_EQ(f.playlist.count(), 1u);
    EXPECT_EQ(f.playlist.itemAt(0), item);
}

TEST(PlaylistFiles, RefusedExportsLeaveTheTargetIntact) {
    FilesFixture f;
    writeText(f.dir / "keep.m3u", "old\n");
    EXPECT_EQ(mdbtest::thrownText<std::invalid_argument>(
                  [&] { f.playlist.exportTo(f.dir / "keep.m3u", 3); }),
              "unknown file format");
    EXPECT_EQ(mdbtest::thrownText<std::invalid_argument>(
                  [&] { f.playlist.exportTo("relative.m3u", kFormatM3u); }),
              "Not absolute path.");
    EXPECT_EQ(mdbtest::thrownText<FileIOException>(
                  [&] { f.playlist.exportTo(f.dir / "no/such/folder.m3u", kFormatM3u); }),
              f.dir / "no/such/folder.m3u");
    EXPECT_EQ(readText(f.dir / "keep.m3u"), "old\n");
    EXPECT_EQ(f.dir.names(), std::vector<std::string>{"keep.m3u"});
}

TEST(PlaylistFiles, LibraryCsvRoundTripsEveryField) {
    FilesFixture f;
    const std::vector<MusicInfo> records = {
        {f.dir / "Music/a, b.mp3", "Title, with \"quotes\"", "\"Quoted\"", "日本語アルバム", 80, "",
         2024, 12, 4294967295u, 3000000000u, 4102444800u},
        {"/elsewhere/c.mp3", "", "", "", 255, "comment, yes", 0, 0, 0, 0, 0},
    };
    for (const MusicInfo& record : records) {
        f.db->library().add(record, false);
    }
    f.db->library().exportTo(f.dir / "lib.csv", kFormatLibraryCsv);
    const std::string text = readText(f.dir / "lib.csv");
    EXPECT_NE(text.find("Music/a, b.mp3"), std::string::npos);
    EXPECT_NE(text.find(",,2024,12,4294967295,3000000000,4102444800\n"), std::string::npos);

    std::vector<std::string> failed;
    f.db->library().importReplacing(f.dir / "lib.csv", kFormatLibraryCsv, failed);
    ASSERT_EQ(f.db->library().count(), 2u);
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(f.db->library().itemAt(i)->getInfo(), records[i]) << i;
    }
    EXPECT_TRUE(failed.empty());
}

TEST(PlaylistFiles, LibraryImportSkipsBadLinesAndReportsRefusedOnes) {
    FilesFixture f;
    writeText(f.dir / "lib.csv",
              "# a comment line\n"
              "good.mp3,T,A,B,1,C,2000,1,1000,100,10\n"
              "ten.mp3,T,A,B,1,C,2000,1,1000,100\n"
              "year.mp3,T,A,B,1,C,20x0,1,1000,100,10\n"
              "neg.mp3,T,A,B,1,C,2000,1,1000,-100,10\n"
              "\"bad\"quote.mp3,T,A,B,1,C,2000,1,1000,100,10\n"
              "refused.txt,T,A,B,1,C,2000,1,1000,100,10\n"
              "/abs/old.mp3,T,A,B,1,C,2000,1,1000,100,10\n");
    std::vector<std::string> failed;
    f.db->library().importAppending(f.dir / "lib.csv", kFormatLibraryCsv, failed);
    ASSERT_EQ(f.db->library().count(), 2u);
    EXPECT_EQ(f.db->library().itemAt(0)->getPath(), f.dir / "good.mp3");
    EXPECT_EQ(f.db->library().itemAt(1)->getPath(), "/abs/old.mp3");
    EXPECT_EQ(failed, std::vector<std::string>{f.dir / "refused.txt"});
}

TEST(PlaylistFiles, M3uImportIntoTheLibraryReadsTags) {
    FilesFixture f;
    f.tags->add(f.dir / "tagged.mp3", "From Tag").tag.playTime = 5000;
    f.tags->add(f.dir / "untagged.mp3").readable = false;
    std::vector<std::string> failed;
    writeText(f.dir / "l.m3u", "tagged.mp3\nuntagged.mp3\nnotes.txt\n");
    f.db->library().importAppending(f.dir / "l.m3u", kFormatM3u, failed);
    ASSERT_EQ(f.db->library().count(), 2u);
    EXPECT_EQ(f.db->library().itemAt(0)->getTitle(), "From Tag");
    EXPECT_EQ(f.db->library().itemAt(0)->getPlayTime(), 5000u);
    EXPECT_EQ(f.db->library().itemAt(0)->getModified(), 0u);  // left for synchronize
    EXPECT_EQ(f.db->library().itemAt(1)->getTitle(), "untagged.mp3");
    EXPECT_EQ(failed, std::vector<std::string>{f.dir / "notes.txt"});
}
