#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"
#include "platform/ProductKey.h"
#include "platform/Registry.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

namespace fs = std::filesystem;

using Outcome = CliRun;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A library folder, a music folder and private settings for one test.
class LibraryCli : public ::testing::Test {
  protected:
    LibraryCli() { fs::create_directories(music_); }

    // Runs "melodux-cli library --db DB ARGS..."; `env` goes in front.
    Outcome library(const std::vector<std::string>& args, bool withDb = true,
                    const std::string& env = "") {
        std::string arguments = "library";
        if (withDb) {
            arguments += " --db " + quoted(db_.string());
        }
        for (const std::string& arg : args) {
            arguments += " " + quoted(arg);
        }
        return cliApart(arguments, env);
    }

    std::string song(const std::string& name) {
        const fs::path path = music_ / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "not really sound";
        return path.string();
    }

    // A library file with tags, imported as the readers would fill them.
    std::string taggedLibrary() {
        const fs::path csv = dir_ / "tagged.csv";
        std::ofstream(csv) << song("x/1.mp3") << ",Love Song,Alice,First,80,,1999,1,200000,10,5\n"
                           << song("x/2.mp3") << ",\"Rain, Again\",Bob,Second,17,c,2005,2,0,0,0\n"
                           << song("x/3.mp3") << ",Lovely,Bob,Second,17,,1980,3,0,0,0\n";
        return csv.string();
    }

    static std::string column(const std::string& line, size_t index) {
        std::istringstream in(line);
        std::string cell;
        for (size_t i = 0; i <= index; ++i) {
            std::getline(in, cell, '\t');
        }
        return cell;
    }

    std::vector<std::string> titles(const Outcome& run) {
        std::vector<std::string> out;
        for (const std::string& line : linesOf(run.out)) {
            out.push_back(column(line, 1));
        }
        return out;
    }

    TempSettings settings_;
    testsupport::TempDir dir_;
    fs::path db_ = dir_ / "db";
    fs::path music_ = dir_ / "music";
};

TEST_F(LibraryCli, AddsFoldersAndFilesAndReportsWhatFailed) {
    const std::string a = song("a.mp3"), b = song("sub/b.MP3"), c = song("c.wav");
    song("cover.jpg");
    std::ofstream(music_ / "notes.txt") << "text";
    const Outcome add = library(
        {"add", music_.string(), (music_ / "notes.txt").string(), (music_ / "gone.mp3").string()});
    EXPECT_EQ(add.exitCode, 1);
    EXPECT_EQ(add.out, "3 added, 0 already in the library, 2 failed\n");
    EXPECT_NE(add.err.find("notes.txt: not a music file"), std::string::npos) << add.err;
    EXPECT_NE(add.err.find("gone.mp3: no such file"), std::string::npos) << add.err;
    EXPECT_TRUE(fs::exists(db_ / "Library.csv"));

    const Outcome list = library({"list"});
    EXPECT_EQ(list.exitCode, 0);
    const auto lines = linesOf(list.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], a + "\ta.mp3\t\t\t255\t\t0\t0\t0\t0\t0");
    EXPECT_EQ(column(lines[1], 0), c);
    EXPECT_EQ(column(lines[2], 0), b);

    const Outcome again = library({"add", b, (music_ / "." / "a.mp3").string()});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, "0 added, 2 already in the library, 0 failed\n");
}

TEST_F(LibraryCli, ListsGroupsAndSortsForDisplayOnly) {
    ASSERT_EQ(library({"import", taggedLibrary()}).exitCode, 0);
    EXPECT_EQ(library({"list", "--by", "artist"}).out, "Alice\nBob\n");
    // Genre 80 is named by the shipped genre.dat.
    EXPECT_EQ(library({"list", "--by", "genre"}).out, "Folk\nRock\n");
    EXPECT_EQ(titles(library({"list", "--by", "artist", "--group", "Bob"})),
              (std::vector<std::string>{"Rain, Again", "Lovely"}));
    EXPECT_EQ(titles(library({"list", "--sort", "year:desc"})),
              (std::vector<std::string>{"Rain, Again", "Love Song", "Lovely"}));
    EXPECT_EQ(titles(library({"list", "--sort", "title"})),
              (std::vector<std::string>{"Love Song", "Lovely", "Rain, Again"}));
    EXPECT_EQ(titles(library({"list"})),
              (std::vector<std::string>{"Love Song", "Rain, Again", "Lovely"}));

    const Outcome missing = library({"list", "--by", "album", "--group", "Third"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "melodux-cli: library: not found: Third\n");
    EXPECT_EQ(library({"list", "--sort", "colour"}).exitCode, 2);
    EXPECT_EQ(library({"list", "--group", "Bob"}).exitCode, 2);
}

TEST_F(LibraryCli, SearchesTextFieldsWithGenreAndExactMatching) {
    ASSERT_EQ(library({"import", taggedLibrary()}).exitCode, 0);
    EXPECT_EQ(titles(library({"search", "LOVE"})),
              (std::vector<std::string>{"Love Song", "Lovely"}));
    EXPECT_EQ(titles(library({"search", "love", "--genre", "17"})),
              (std::vector<std::string>{"Lovely"}));
    EXPECT_EQ(titles(library({"search", "bob", "--fields", "artist", "--exact"})),
              (std::vector<std::string>{"Rain, Again", "Lovely"}));
    EXPECT_EQ(library({"search", "bo", "--fields", "artist", "--exact"}).out, "");
    EXPECT_EQ(titles(library({"search", "x/2", "--fields", "path"})),
              (std::vector<std::string>{"Rain, Again"}));
    EXPECT_EQ(library({"search", "a", "--fields", "year"}).exitCode, 2);
    EXPECT_EQ(library({"search", "a", "--genre", "rock"}).exitCode, 2);
}

TEST_F(LibraryCli, RemovesFilesAndFoldersAndSyncDropsVanishedFiles) {
    song("a.mp3");
    song("sub/b.mp3");
    song("sub/c.mp3");
    ASSERT_EQ(library({"add", music_.string()}).exitCode, 0);
    ASSERT_EQ(library({"playlist", "create", "Mix"}).exitCode, 0);
    ASSERT_EQ(library({"playlist", "add", "Mix", music_.string()}).exitCode, 0);

    const Outcome remove = library({"remove", (music_ / "sub").string(), "/no/such.mp3"});
    EXPECT_EQ(remove.exitCode, 1);
    EXPECT_EQ(remove.out, "2 removed\n");
    EXPECT_EQ(remove.err, "melodux-cli: library: /no/such.mp3: not in the library\n");

    fs::remove(music_ / "a.mp3");
    EXPECT_EQ(library({"sync"}).out, "0 items, 1 removed (file gone)\n");
    EXPECT_EQ(library({"list"}).out, "");
    EXPECT_EQ(library({"playlist", "show", "Mix"}).out, "");
}

TEST_F(LibraryCli, EditsPlaylistsAndReportsNameErrors) {
    const std::string a = song("a.mp3"), b = song("b.mp3");
    EXPECT_EQ(library({"playlist", "create", "Road"}).exitCode, 0);
    const Outcome add = library({"playlist", "add", "Road", b, a, b});
    EXPECT_EQ(add.out, "3 added to Road, 0 failed\n");
    EXPECT_EQ(library({"list"}).out.empty(), false);  // filed into the library too
    EXPECT_EQ(library({"playlist", "create", "Home"}).exitCode, 0);
    EXPECT_EQ(library({"playlist", "list"}).out, "Home\nRoad\n");

    const Outcome taken = library({"playlist", "rename", "Road", "Home"});
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_EQ(taken.err, "melodux-cli: library: already exists: Home\n");
    EXPECT_EQ(library({"playlist", "rename", "Road", "Trip"}).exitCode, 0);
    const auto shown = linesOf(library({"playlist", "show", "Trip"}).out);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(column(shown[0], 0), b);
    EXPECT_EQ(column(shown[1], 0), a);

    EXPECT_EQ(library({"playlist", "delete", "Home"}).exitCode, 0);
    const Outcome gone = library({"playlist", "delete", "Home"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.err, "melodux-cli: library: not found: Home\n");
    EXPECT_EQ(library({"playlist", "add", "Nowhere", a}).exitCode, 1);
    EXPECT_EQ(library({"playlist", "rename", "Trip"}).exitCode, 2);
    EXPECT_EQ(library({"playlist", "list"}).out, "Trip\n");
}

TEST_F(LibraryCli, PlaylistsAndTheLibraryGoOutAndComeBackThroughFiles) {
    const std::string a = song("a.mp3"), b = song("b.mp3");
    ASSERT_EQ(library({"playlist", "create", "Mix"}).exitCode, 0);
    ASSERT_EQ(library({"playlist", "add", "Mix", b, a}).exitCode, 0);
    const fs::path pls = music_ / "mix.pls";
    ASSERT_EQ(library({"playlist", "export", "Mix", pls.string()}).exitCode, 0);
    EXPECT_EQ(readText(pls), "[playlist]\nFILE1=b.mp3\nFILE2=a.mp3\nNumberOfEntries=2\n");

    const fs::path m3u = music_ / "mix.m3u";
    std::ofstream(m3u) << "#EXTM3U\nb.mp3\nmissing.mp3\n";
    const Outcome imported = library({"playlist", "import", "Copy", m3u.string()});
    EXPECT_EQ(imported.exitCode, 1);
    EXPECT_EQ(imported.out, "1 added to Copy\n");
    EXPECT_EQ(imported.err, "melodux-cli: library: " + (music_ / "missing.mp3").string() +
                                ": not in the library\n");
    EXPECT_EQ(library({"playlist", "import", "Other", (music_ / "none.m3u").string()}).exitCode, 1);
    EXPECT_EQ(library({"playlist", "list"}).out, "Copy\nMix\n");

    const fs::path csv = dir_ / "backup.csv";
    ASSERT_EQ(library({"export", csv.string()}).exitCode, 0);
    const Outcome fresh = library({"--db", (dir_ / "db2").string(), "import", csv.string()}, false);
    EXPECT_EQ(fresh.out, "2 added\n");
    const Outcome wrong = library({"export", (dir_ / "lib.txt").string()});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_EQ(wrong.err, "melodux-cli: library: unknown file format\n");
    EXPECT_FALSE(fs::exists(dir_ / "lib.txt"));
}

TEST_F(LibraryCli, SavesOnlyWhatChangedAndReportsAFailedSave) {
    EXPECT_EQ(library({"list"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(db_));  // nothing changed, nothing written
    ASSERT_EQ(library({"add", song("a.mp3")}).exitCode, 0);
    const auto saved = fs::last_write_time(db_ / "Library.csv");
    ASSERT_EQ(library({"search", "a"}).exitCode, 0);
    EXPECT_EQ(fs::last_write_time(db_ / "Library.csv"), saved);

    // A library folder that cannot be made: nothing is done.
    std::ofstream(dir_ / "plain") << "a file, not a folder";
    const Outcome failed =
        library({"--db", (dir_ / "plain/db").string(), "add", song("b.mp3")}, false);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err, "melodux-cli: library: cannot read or write " +
                              (dir_ / "plain/db/Library.lock").string() + "\n");
}

TEST_F(LibraryCli, FolderComesFromTheSettingElseTheDataHome) {
    const fs::path data = dir_ / "data";
    const std::string env = "XDG_DATA_HOME=" + quoted(data.string());
    ASSERT_EQ(library({"add", song("a.mp3")}, false, env).exitCode, 0);
    EXPECT_TRUE(fs::exists(data / "mp3-melodux/MyData/Library.csv"));

    const fs::path chosen = dir_ / "chosen";
    platform::Registry::instance().write(platform::productSubkey("Settings"), "DefaultMdbPath",
                                         platform::RegValue::text(chosen.string()));
    ASSERT_EQ(library({"add", song("b.mp3")}, false, env).exitCode, 0);
    EXPECT_TRUE(fs::exists(chosen / "Library.csv"));
    EXPECT_EQ(linesOf(library({"list"}, false, env).out).size(), 1u);
}

TEST_F(LibraryCli, UsageErrorsExitWithTwo) {
    EXPECT_EQ(library({}).exitCode, 2);
    EXPECT_EQ(library({"shuffle"}).exitCode, 2);
    EXPECT_EQ(library({"add"}).exitCode, 2);
    EXPECT_EQ(library({"sync", "now"}).exitCode, 2);
    EXPECT_EQ(library({"list", "--colour"}).exitCode, 2);
    EXPECT_EQ(library({"playlist"}).exitCode, 2);
    EXPECT_EQ(library({"playlist", "play", "x"}).exitCode, 2);
    EXPECT_FALSE(fs::exists(db_ / "Library.csv"));
}

// Commands started together on one library: each either did its work and
// said so, or was told the library is in use and changed nothing.
TEST_F(LibraryCli, CommandsRunTogetherLoseNothingTheyReported) {
    for (const char* folder : {"x", "y"}) {
        for (int i = 0; i < 150; ++i) {
            song(std::string(folder) + "/" + std::to_string(i) + ".mp3");
        }
    }
    const std::string keep = song("keep.mp3");
    ASSERT_EQ(library({"playlist", "create", "Untouched"}).exitCode, 0);
    ASSERT_EQ(library({"playlist", "add", "Untouched", keep}).exitCode, 0);
    const std::vector<std::vector<std::string>> commands = {{"add", (music_ / "x").string()},
                                                            {"add", (music_ / "y").string()},
                                                            {"playlist", "create", "One"},
                                                            {"playlist", "create", "Two"},
                                                            {"playlist", "add", "Untouched", keep}};
    std::string script;
    for (size_t i = 0; i < commands.size(); ++i) {
        script += "(" + std::string(MELODUX_CLI) + " library --db " + quoted(db_.string());
        for (const std::string& arg : commands[i]) {
            script += " " + quoted(arg);
        }
        const std::string out = (dir_ / std::to_string(i)).string();
        script += " >" + quoted(out + ".out") + " 2>" + quoted(out + ".err") + "; echo $? >" +
                  quoted(out + ".code") + ") & ";
    }
    ASSERT_EQ(std::system((script + "wait").c_str()), 0);

    const std::string items = library({"list"}).out;
    const std::string playlists = library({"playlist", "list"}).out;
    const size_t entries = linesOf(library({"playlist", "show", "Untouched"}).out).size();
    size_t done = 0;
    for (size_t i = 0; i < commands.size(); ++i) {
        const std::string out = (dir_ / std::to_string(i)).string();
        const std::string code = readText(out + ".code");
        if (code == "1\n") {
            EXPECT_NE(readText(out + ".err").find("is in use by melodux-cli (process "),
                      std::string::npos);
            EXPECT_EQ(readText(out + ".out"), "");
            continue;
        }
        ASSERT_EQ(code, "0\n") << readText(out + ".err");
        ++done;
        if (i < 2) {
            EXPECT_EQ(readText(out + ".out"), "150 added, 0 already in the library, 0 failed\n");
            EXPECT_NE(items.find(commands[i][1] + "/149.mp3"), std::string::npos);
        } else if (i < 4) {
            EXPECT_NE(playlists.find(commands[i][2] + "\n"), std::string::npos);
        } else {
            EXPECT_EQ(entries, 2u);
        }
    }
    EXPECT_GE(done, 1u);
    EXPECT_EQ(linesOf(items).size(), 1 + (readText(dir_ / "0.code") == "0\n" ? 150 : 0) +
                                         (readText(dir_ / "1.code") == "0\n" ? 150 : 0));
    EXPECT_NE(playlists.find("Untouched\n"), std::string::npos);
}

// The desktop program holds the library while it is open: commands that
// would change it say so, those that look still work.
TEST_F(LibraryCli, ALibraryHeldByAnotherProgramIsNotChanged) {
    const std::string a = song("a.mp3");
    ASSERT_EQ(library({"add", a}).exitCode, 0);
    const int fd = ::open((db_ / "Library.lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const std::string holder = std::to_string(::getpid()) + " melodux\n";
    ASSERT_EQ(::pwrite(fd, holder.data(), holder.size(), 0), static_cast<ssize_t>(holder.size()));
    const Outcome add = library({"add", song("b.mp3")});
    EXPECT_EQ(add.exitCode, 1);
    EXPECT_EQ(add.out, "");
    EXPECT_EQ(add.err, "melodux-cli: library: the library " + db_.string() +
                           " is in use by melodux (process " + std::to_string(::getpid()) +
                           "); nothing was changed, try again once it is closed\n");
    EXPECT_EQ(library({"list"}).exitCode, 0);
    EXPECT_EQ(linesOf(library({"list"}).out).size(), 1u);
    ::close(fd);
    EXPECT_EQ(library({"add", song("b.mp3")}).exitCode, 0);
}

TEST_F(LibraryCli, DamagedFilesAreToldAndKeptBeforeTheyAreReplaced) {
    ASSERT_EQ(library({"add", song("a.mp3")}).exitCode, 0);
    ASSERT_EQ(library({"playlist", "create", "Mix"}).exitCode, 0);
    std::ofstream(db_ / "Library.csv", std::ios::app) << "b.mp3,B,,,255,,year,0,0,0,0\n";
    const std::string damaged = readText(db_ / "Library.csv");
    fs::create_directory(db_ / "Broken.m3u");
    std::ofstream(db_ / "PlayListSet.csv", std::ios::app) << "Broken.m3u,Broken\n";
    const std::string told = "melodux-cli: library: " + (db_ / "Library.csv").string() +
                             ": line 2: cannot be read\n" +
                             "melodux-cli: library: " + (db_ / "Broken.m3u").string() +
                             ": cannot be read, playlist Broken is left as it is\n";

    const Outcome list = library({"playlist", "list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out, "Mix\n");
    EXPECT_EQ(list.err, told);
    const Outcome add = library({"add", song("c.mp3")});
    EXPECT_EQ(add.exitCode, 0);
    EXPECT_EQ(add.err, told + "melodux-cli: library: the file as it was is kept in " +
                           (db_ / "Library.csv.bak").string() + "\n");
    EXPECT_EQ(readText(db_ / "Library.csv.bak"), damaged);
    EXPECT_EQ(library({"list"}).err, told.substr(told.find('\n') + 1));
    EXPECT_TRUE(fs::is_directory(db_ / "Broken.m3u"));
}

TEST_F(LibraryCli, AReadOnlyFolderIsReportedWithoutClaimingSuccess) {
    ASSERT_EQ(library({"add", song("a.mp3")}).exitCode, 0);
    const std::string before = readText(db_ / "Library.csv");
    // Root writes anywhere, so the command runs as an ordinary user then.
    std::string as;
    if (::geteuid() == 0) {
        as = "setpriv --reuid=65534 --regid=65534 --clear-groups";
        fs::permissions(dir_.path(), fs::perms::others_exec, fs::perm_options::add);
        for (const auto& entry : fs::directory_iterator(db_)) {
            ASSERT_EQ(::chown(entry.path().c_str(), 65534, 65534), 0);
        }
    }
    fs::permissions(db_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    const Outcome add = library({"add", song("b.mp3")}, true, as);
    EXPECT_EQ(add.exitCode, 1);
    EXPECT_EQ(add.out, "");
    EXPECT_EQ(add.err, "melodux-cli: library: not saved: cannot read or write " +
                           (db_ / "PlayListSet.csv").string() + "\n");
    EXPECT_EQ(readText(db_ / "Library.csv"), before);
}

TEST_F(LibraryCli, PlaylistNamesThatCannotBeFileNamesAreRefused) {
    const Outcome empty = library({"playlist", "create", ""});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.err, "melodux-cli: library: a playlist needs a name\n");
    EXPECT_EQ(library({"playlist", "create", "two\nlines"}).exitCode, 1);
    ASSERT_EQ(library({"playlist", "create", "Fine"}).exitCode, 0);
    EXPECT_EQ(library({"playlist", "rename", "Fine", ""}).exitCode, 1);
    EXPECT_EQ(library({"playlist", "list"}).out, "Fine\n");
    EXPECT_FALSE(fs::exists(db_ / ".m3u"));
}

}  // namespace
