#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "TestSupport.h"
#include "mdb/Exceptions.h"

using namespace mdb;
using mdbtest::Fixture;
using mdbtest::readText;
using mdbtest::TempDir;
using mdbtest::titlesOf;
using mdbtest::writeText;

namespace fs = std::filesystem;

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
        EXPECT_EQ(readText(dir / "Library.csv"),
                  "Music/a.mp3,\"A, the first\",Artist,Album,255,,0,0,0,0," + std::to_string(t) +
                      "\n" + dir.path() + "2/b.mp3,B,Artist,,255,,0,0,0,0," + std::to_string(u) +
                      "\n");
        EXPECT_EQ(readText(dir / "PlayListSet.csv"), "Empty.m3u,Empty\nMix.m3u,Mix\n");
        EXPECT_EQ(readText(dir / "Mix.m3u"),
                  dir.path() + "2/b.mp3\nMusic/a.mp3\n" + dir.path() + "2/b.mp3\n");
        EXPECT_EQ(readText(dir / "Empty.m3u"), "");
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
    writeText(dir / "Library.csv",
              "Music\\win.mp3,Win,,,255,,0,0,0,0,0\r\n"
              "bad line\r\n"
              "sub/ok.mp3,Ok,,,255,,0,0,0,2147483648,4294967295\r\n"
              "sub/ok.MP3,Dup,,,255,,0,0,0,0,0\r\n");
    writeText(dir / "PlayListSet.csv", "x.m3u,X\nmissing.m3u,Gone\n,NoFile\nx.m3u,\n");
    writeText(dir / "x.m3u", "Music\\win.mp3\r\n");
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
    EXPECT_EQ(readText(dir / "PlayListSet.csv"), "B x.m3u,B/x\nB x-2.m3u,B:x\n" +
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
    writeText(dir / "Library.csv", "a.mp3,A,,,255,,0,0,0,0,0\nb.mp3,B,,,255,,0,0,0,0,0\n");
    writeText(dir / "1.m3u", "a.mp3\n");
    writeText(dir / "2.m3u", "b.mp3\nb.mp3\n");
    writeText(dir / "PlayListSet.csv", "1.m3u,Same\n2.m3u,Same\n");
    Fixture f;
    f.db->load(dir.path());
    EXPECT_EQ(f.db->playlists().count(), 1u);
    EXPECT_EQ(titlesOf(f.db->playlists().get("Same")), (std::vector<std::string>{"B", "B"}));
}

TEST(Storage, BackupsOfAnInterruptedSaveOfTheEarlierKindAreReadAndThenCleared) {
    TempDir dir;
    writeText(dir / "Library.csv", "a.mp3,A,,,255,,0,0,0,0,0\n");
    writeText(dir / "PlayListSet.csv", "Kept.m3u,Kept\nFresh.m3u,Fresh\n");
    writeText(dir / "Kept.m3u.tmp", "a.mp3\n");  // moved aside, successor never written
    writeText(dir / "Fresh.m3u", "a.mp3\na.mp3\n");
    writeText(dir / "Fresh.m3u.tmp", "stale\n");  // not needed: its successor exists
    const std::vector<std::string> before = dir.names();
    Fixture f;
    f.db->load(dir.path());
    EXPECT_EQ(dir.names(), before);  // a load only reads
    EXPECT_EQ(titlesOf(f.db->playlists().get("Kept")), std::vector<std::string>{"A"});
    EXPECT_EQ(titlesOf(f.db->playlists().get("Fresh")), (std::vector<std::string>{"A", "A"}));
    EXPECT_TRUE(f.db->loadProblems().empty());

    f.db->playlists().get("Kept").insert(0, f.db->library().itemAt(0));
    f.db->save(dir.path());
    EXPECT_EQ(readText(dir / "Kept.m3u"), "a.mp3\na.mp3\n");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"Fresh.m3u", "Fresh.m3u.tmp", "Kept.m3u",
                                                     "Library.csv", "PlayListSet.csv"}));
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
    const std::string library = readText(dir + "/Library.csv");
    const std::string index = readText(dir + "/PlayListSet.csv");
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
            _exit(e.message() == dir + "/Q.m3u" && f.db->isModified() ? 0 : 3);
        }
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readText(dir + "/Library.csv"), library);
    EXPECT_EQ(readText(dir + "/PlayListSet.csv"), index);
    EXPECT_EQ(testsupport::namesIn(dir),
              (std::vector<std::string>{"Library.csv", "P.m3u", "PlayListSet.csv"}));
}

namespace {

std::vector<std::string> problemTexts(const MusicDatabase& db) {
    std::vector<std::string> texts;
    for (const LoadProblem& problem : db.loadProblems()) {
        texts.push_back(problem.text());
    }
    return texts;
}

}  // namespace

TEST(Storage, LinesThatCannotBeTakenAreToldAndKeptInABackupBeforeASave) {
    TempDir dir;
    const std::string damaged =
        "good.mp3,Good,,,255,,0,0,0,0,0\n"
        "year.mp3,T,,,255,,20x0,0,0,0,0\n" +
        std::string(200000, 'x') + "\n" +
        "notes.txt,T,,,255,,0,0,0,0,0\n"
        "GOOD.mp3,Again,,,255,,0,0,0,0,0\n"
        "\"stray quote,T,,,255,,0,0,0,0,0";
    writeText(dir / "Library.csv", damaged);
    for (const std::string backup : {"Library.csv.bak", "Library.csv.bak-2"}) {
        Fixture f;
        f.db->load(dir.path());
        EXPECT_EQ(titlesOf(f.db->library()), std::vector<std::string>{"Good"});
        const std::string file = dir / "Library.csv";
        EXPECT_EQ(
            problemTexts(*f.db),
            (std::vector<std::string>{
                file + ": line 2: cannot be read", file + ": line 3: longer than 131072 bytes",
                file + ": line 4: not a music file the library takes: " + (dir / "notes.txt"),
                file + ": line 5: already in the library: " + (dir / "GOOD.mp3"),
                file + ": line 6: cannot be read"}));
        EXPECT_EQ(readText(file), damaged);  // a load changes nothing
        f.db->playlists().create("P");
        f.db->save(dir.path());
        EXPECT_EQ(f.db->backups(), std::vector<std::string>{dir / backup});
        EXPECT_EQ(readText(dir / backup), damaged);
        EXPECT_EQ(readText(file), "good.mp3,Good,,,255,,0,0,0,0,0\n");
        f.db->save(dir.path());  // one copy per load is enough
        EXPECT_EQ(f.db->backups().size(), 1u);
        writeText(file, damaged);
    }
    EXPECT_EQ(readText(dir / "Library.csv.bak"), damaged);  // never overwritten
}

TEST(Storage, PlaylistsThatCannotBeReadAreToldAndLeftAsTheyAre) {
    TempDir dir;
    writeText(dir / "Library.csv", "a.mp3,A,,,255,,0,0,0,0,0\n");
    writeText(dir / "Good.m3u", "a.mp3\ngone.mp3\n");
    fs::create_directory(dir / "Folder.m3u");
    ASSERT_EQ(::mkfifo((dir / "Pipe.m3u").c_str(), 0600), 0);  // reading would never end
    const std::string index =
        "Good.m3u,Good\nFolder.m3u,Folder\nPipe.m3u,Pipe\n/proc/self/mem,Mem\n../up.m3u,Up\n";
    writeText(dir / "PlayListSet.csv", index);
    Fixture f;
    f.db->load(dir.path());
    EXPECT_EQ(f.db->playlists().getNames(), std::vector<std::string>{"Good"});
    EXPECT_EQ(titlesOf(f.db->playlists().get("Good")), std::vector<std::string>{"A"});
    const std::string indexFile = dir / "PlayListSet.csv";
    EXPECT_EQ(problemTexts(*f.db),
              (std::vector<std::string>{
                  dir / "Good.m3u" + ": line 2: not in the library: " + (dir / "gone.mp3"),
                  dir / "Folder.m3u" + ": cannot be read, playlist Folder is left as it is",
                  dir / "Pipe.m3u" + ": cannot be read, playlist Pipe is left as it is",
                  indexFile + ": line 4: not read, the file lies outside the library folder: "
                              "/proc/self/mem",
                  indexFile + ": line 5: not read, the file lies outside the library folder: " +
                      (dir / "../up.m3u")}));

    f.db->playlists().create("New");
    f.db->save(dir.path());
    EXPECT_EQ(readText(indexFile),
              "Good.m3u,Good\nNew.m3u,New\nFolder.m3u,Folder\n"
              "Pipe.m3u,Pipe\n/proc/self/mem,Mem\n../up.m3u,Up\n");
    EXPECT_TRUE(fs::is_directory(dir / "Folder.m3u"));
    EXPECT_TRUE(fs::is_fifo(dir / "Pipe.m3u"));
    EXPECT_EQ(readText(dir / "Good.m3u.bak"), "a.mp3\ngone.mp3\n");
    EXPECT_EQ(readText(dir / "Good.m3u"), "a.mp3\n");
}

TEST(Storage, ALoadChangesNothingAndASaveClearsOnlyWhatEndedProcessesLeft) {
    TempDir dir;
    const pid_t ended = fork();
    if (ended == 0) {
        _exit(0);
    }
    ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
    const std::string inFlight = "Nx" + std::to_string(getpid()) + "-0123abcd.tmp";
    const std::string left = "Nx" + std::to_string(ended) + "-89abcdef.tmp";
    for (const std::string& name : {inFlight, left, std::string("Library.tmp"),
                                    std::string("notes.tmp"), std::string("Library.csv")}) {
        writeText(dir / name, "");
    }
    Fixture f;
    f.db->load(dir.path());
    EXPECT_EQ(dir.names().size(), 5u);
    f.db->playlists().create("P");
    f.db->save(dir.path());
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"Library.csv", "Library.tmp", inFlight,
                                                     "P.m3u", "PlayListSet.csv", "notes.tmp"}));
}
