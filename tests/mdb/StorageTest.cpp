#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "TestSupport.h"
#include "mdb/Exceptions.h"

using namespace mdb;
using mdbtest::Fixture;
using mdbtest::readFile;
using mdbtest::TempDir;
using mdbtest::titlesOf;
using mdbtest::writeFile;

namespace fs = std::filesystem;

namespace {

std::vector<std::string> fileNames(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(Storage, SaveWritesTheDocumentedFilesAndLoadRestoresEverything) {
    TempDir dir;
    {
        Fixture f;
        MusicItem* a = f.addItem(dir / "Music/a.mp3", "A, the first", "Artist", "Album");
        MusicItem* b = f.addItem(dir.path() + "2/b.mp3", "B", "Artist");
        a->setComment("");
        auto& mix = f.db->playlists().create("Mix");
        mix.insert(0, std::vector{b, a, b});
        f.db->playlists().create("Empty");
        ASSERT_TRUE(f.db->isModified());
        f.db->save(dir.path());
        EXPECT_FALSE(f.db->isModified());
        EXPECT_FALSE(a->isModified());
        const uint32_t t = a->getModified();
        const uint32_t u = b->getModified();
        EXPECT_EQ(readFile(dir / "Library.csv"),
                  "Music/a.mp3,\"A, the first\",Artist,Album,255,,0,0,0,0," + std::to_string(t) +
                      "\n" + dir.path() + "2/b.mp3,B,Artist,,255,,0,0,0,0," + std::to_string(u) +
                      "\n");
        EXPECT_EQ(readFile(dir / "PlayListSet.csv"), "Empty.m3u,Empty\nMix.m3u,Mix\n");
        EXPECT_EQ(readFile(dir / "Mix.m3u"),
                  dir.path() + "2/b.mp3\nMusic/a.mp3\n" + dir.path() + "2/b.mp3\n");
        EXPECT_EQ(readFile(dir / "Empty.m3u"), "");
    }
    Fixture g;
    g.db->load(dir.path());
    EXPECT_FALSE(g.db->isModified());
    EXPECT_EQ(titlesOf(g.db->library()), (std::vector<std::string>{"A, the first", "B"}));
    EXPECT_EQ(g.db->playlists().getNames(), (std::vector<std::string>{"Empty", "Mix"}));
    EXPECT_EQ(titlesOf(g.db->playlists().get("Mix")),
              (std::vector<std::string>{"B", "A, the first", "B"}));
    EXPECT_EQ(g.db->artistGroups().get("Artist").count(), 2u);
}

TEST(Storage, LoadingAnEmptyOrMissingFolderGivesAnEmptyDatabase) {
    TempDir dir;
    Fixture f;
    f.addItem("/m/a.mp3");
    f.db->playlists().create("P");
    f.db->load(dir.path());
    EXPECT_EQ(f.db->library().count(), 0u);
    EXPECT_EQ(f.db->playlists().count(), 0u);
    f.db->load(dir / "not/there");
    EXPECT_EQ(f.db->library().count(), 0u);
}

TEST(Storage, StoredPathsFromOtherSystemsAndBadLinesLoad) {
    TempDir dir;
    writeFile(dir / "Library.csv",
              "Music\\win.mp3,Win,,,255,,0,0,0,0,0\r\n"
              "bad line\r\n"
              "sub/ok.mp3,Ok,,,255,,0,0,0,2147483648,4294967295\r\n"
              "sub/ok.MP3,Dup,,,255,,0,0,0,0,0\r\n");
    writeFile(dir / "PlayListSet.csv", "x.m3u,X\nmissing.m3u,Gone\n,NoFile\nx.m3u,\n");
    writeFile(dir / "x.m3u", "Music\\win.mp3\r\n");
    Fixture f;
    f.db->load(dir.path());
    ASSERT_EQ(f.db->library().count(), 2u);
    EXPECT_EQ(f.db->library().itemAt(0)->getPath(), dir / "Music/win.mp3");
    EXPECT_EQ(f.db->library().itemAt(1)->getSize(), 2147483648u);
    EXPECT_EQ(f.db->library().itemAt(1)->getModified(), 4294967295u);
    EXPECT_EQ(f.db->playlists().getNames(), std::vector<std::string>{"X"});
    EXPECT_EQ(titlesOf(f.db->playlists().get("X")), std::vector<std::string>{"Win"});
}

TEST(Storage, PlaylistFileNamesAvoidForbiddenCharactersAndClashes) {
    TempDir dir;
    Fixture f;
    f.db->playlists().create("B/x");
    f.db->playlists().create("B:x");
    f.db->playlists().create(std::string(300, 'n'));  // longer than a file name may be
    f.db->save(dir.path());
    EXPECT_EQ(readFile(dir / "PlayListSet.csv"), "B x.m3u,B/x\nB x-2.m3u,B:x\n" +
                                                     std::string(200, 'n') + ".m3u," +
                                                     std::string(300, 'n') + "\n");

    f.db->save(dir.path());  // the old files are replaced, not renumbered
    EXPECT_EQ(dir.names(),
              (std::vector<std::string>{"B x-2.m3u", "B x.m3u", "Library.csv", "PlayListSet.csv",
                                        std::string(200, 'n') + ".m3u"}));
    Fixture g;
    g.db->load(dir.path());
    EXPECT_EQ(g.db->playlists().count(), 3u);
}

TEST(Storage, IndexNamingAPlaylistTwiceTakesTheLaterFile) {
    TempDir dir;
    writeFile(dir / "Library.csv", "a.mp3,A,,,255,,0,0,0,0,0\nb.mp3,B,,,255,,0,0,0,0,0\n");
    writeFile(dir / "1.m3u", "a.mp3\n");
    writeFile(dir / "2.m3u", "b.mp3\nb.mp3\n");
    writeFile(dir / "PlayListSet.csv", "1.m3u,Same\n2.m3u,Same\n");
    Fixture f;
    f.db->load(dir.path());
    EXPECT_EQ(f.db->playlists().count(), 1u);
    EXPECT_EQ(titlesOf(f.db->playlists().get("Same")), (std::vector<std::string>{"B", "B"}));
}

TEST(Storage, LoadRestoresABackupLeftByAnInterruptedSave) {
    TempDir dir;
    writeFile(dir / "Library.csv", "a.mp3,A,,,255,,0,0,0,0,0\n");
    writeFile(dir / "PlayListSet.csv", "Kept.m3u,Kept\nFresh.m3u,Fresh\n");
    writeFile(dir / "Kept.m3u.tmp", "a.mp3\n");  // moved aside, successor never written
    writeFile(dir / "Fresh.m3u", "a.mp3\na.mp3\n");
    writeFile(dir / "Fresh.m3u.tmp", "stale\n");  // the successor exists: the backup goes
    writeFile(dir / "Library.tmp", "half a libr");
    writeFile(dir / ".Other.m3u.tmp", "partial");
    Fixture f;
    f.db->load(dir.path());
    EXPECT_EQ(titlesOf(f.db->playlists().get("Kept")), std::vector<std::string>{"A"});
    EXPECT_EQ(titlesOf(f.db->playlists().get("Fresh")), (std::vector<std::string>{"A", "A"}));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"Fresh.m3u", "Kept.m3u", "Library.csv",
                                                     "PlayListSet.csv"}));
}

TEST(Storage, SaveIntoAReadOnlyFolderThrowsAndChangesNothing) {
    TempDir root;
    const std::string dir = root / "db";
    {
        Fixture f;
        f.addItem("/m/a.mp3", "A");
        f.db->playlists().create("P").insert(0, f.db->library().itemAt(0));
        f.db->save(dir);
    }
    const std::string library = readFile(dir + "/Library.csv");
    const std::string index = readFile(dir + "/PlayListSet.csv");
    fs::permissions(root.path(), fs::perms::owner_all | fs::perms::others_exec);
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    // Root may write anywhere, so the save runs as an ordinary user.
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(2);
        }
        Fixture f;
        f.addItem("/m/b.mp3", "B");
        f.db->playlists().create("Q");
        try {
            f.db->save(dir);
        } catch (const FileIOException& e) {
            _exit(e.message() == dir + "/PlayListSet.csv.tmp" && f.db->isModified() ? 0 : 3);
        }
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(dir + "/Library.csv"), library);
    EXPECT_EQ(readFile(dir + "/PlayListSet.csv"), index);
    EXPECT_EQ(fileNames(dir),
              (std::vector<std::string>{"Library.csv", "P.m3u", "PlayListSet.csv"}));
}
