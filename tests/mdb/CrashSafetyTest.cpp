// Saves that stop (process killed) or fail (write, fsync, rename, remove
// refused) at every single file-system step, followed by a load: the load
// must always find the old or the new library and complete playlists.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "TestSupport.h"
#include "mdb/Csv.h"
#include "mdb/Exceptions.h"

using namespace mdb;
using mdbtest::Fixture;
using mdbtest::readText;
using mdbtest::TempDir;

namespace fs = std::filesystem;

namespace {

// Real file operations, of which step number `stopAt` fails or ends the
// process, as `crash` says.
class FaultyFileOps : public PosixFileOps {
  public:
    FaultyFileOps(int stopAt, bool crash) : stopAt_(stopAt), crash_(crash) {}

    std::unique_ptr<PendingFile> createBeside(const std::string& target) override {
        if (hit()) {
            return nullptr;
        }
        return std::make_unique<Pending>(*this, PosixFileOps::createBeside(target));
    }
    bool copyToNew(const std::string& from, const std::string& to) override {
        return !hit() && PosixFileOps::copyToNew(from, to);
    }
    bool remove(const std::string& path) override { return !hit() && PosixFileOps::remove(path); }
    int steps() const { return steps_; }

  private:
    class Pending : public PendingFile {
      public:
        Pending(FaultyFileOps& ops, std::unique_ptr<PendingFile> real)
            : ops_(ops), real_(std::move(real)) {}
        bool write(std::string_view data) override { return !ops_.hit() && real_->write(data); }
        bool publish() override { return !ops_.hit() && real_->publish(); }

      private:
        FaultyFileOps& ops_;
        std::unique_ptr<PendingFile> real_;
    };

    bool hit() {
        if (steps_++ != stopAt_) {
            return false;
        }
        if (crash_) {
            _exit(0);
        }
        return true;
    }

    int stopAt_;
    bool crash_;
    int steps_ = 0;
};

// Creating, writing and publishing two playlist files, the index and the
// library, and removing the file of the playlist that went.
constexpr int kSaveSteps = 12;

// What a folder holds: the library text and each indexed playlist's text.
struct DiskState {
    std::string library;
    std::map<std::string, std::string> playlists;
    bool operator==(const DiskState&) const = default;
};

DiskState readState(const std::string& dir) {
    DiskState state;
    state.library = readText(dir + "/Library.csv");
    const std::string index = readText(dir + "/PlayListSet.csv");
    size_t pos = 0;
    while (pos < index.size()) {
        const size_t end = index.find('\n', pos);
        CsvFields fields(index.substr(pos, end - pos));
        const std::string file = *fields.text();
        state.playlists[*fields.text()] = readText(dir + "/" + file);
        pos = end + 1;
    }
    return state;
}

void fillOld(Fixture& f) {
    MusicItem* a = f.addItem("/m/a.mp3", "a");
    MusicItem* b = f.addItem("/m/b.mp3", "b");
    MusicItem* c = f.addItem("/m/c.mp3", "c");
    f.db->playlists().create("P1").insert(0, std::vector{a, b});
    f.db->playlists().create("P2").insert(0, c);
}

void fillNew(Fixture& f) {
    MusicItem* a = f.addItem("/m/a.mp3", "a2");
    MusicItem* b = f.addItem("/m/b.mp3", "b");
    MusicItem* d = f.addItem("/m/d.mp3", "d");
    f.db->playlists().create("P1").insert(0, b);
    f.db->playlists().create("P3").insert(0, std::vector{a, d});
}

DiskState savedState(void (*fill)(Fixture&)) {
    TempDir dir;
    Fixture f;
    fill(f);
    f.db->save(dir.path());
    return readState(dir.path());
}

void copyFolder(const std::string& from, const std::string& to) {
    fs::remove_all(to);
    fs::copy(from, to);
}

// The folder as the next process finds it: complete files only, each
// either as before or as after the save; its first save clears what the
// crashed one left.
void expectRecovered(const std::string& dir, const DiskState& before, const DiskState& after,
                     int step) {
    Fixture f;
    ASSERT_NO_THROW(f.db->load(dir)) << step;
    // Between the playlists and the library the new playlists name items
    // that only the new library holds: they are told, nothing else is.
    for (const LoadProblem& problem : f.db->loadProblems()) {
        EXPECT_EQ(problem.what, "not in the library: /m/d.mp3") << step;
    }
    const DiskState now = readState(dir);
    EXPECT_TRUE(now.library == before.library || now.library == after.library) << step;
    for (const auto& [name, text] : now.playlists) {
        const bool old = before.playlists.contains(name) && before.playlists.at(name) == text;
        const bool fresh = after.playlists.contains(name) && after.playlists.at(name) == text;
        EXPECT_TRUE(old || fresh) << step << " " << name;
    }
    const bool oldSet = now.playlists.size() == before.playlists.size();
    const bool newSet = now.playlists.size() == after.playlists.size();
    EXPECT_TRUE(oldSet || newSet) << step;
    EXPECT_EQ(f.db->library().count(), 3u) << step;
    f.db->playlists().create("Touch");
    f.db->save(dir);
    for (const auto& entry : fs::directory_iterator(dir)) {
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << step << entry.path();
    }
}

class CrashSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        before = savedState(fillOld);
        after = savedState(fillNew);
        Fixture f;
        fillOld(f);
        f.db->save(pristine.path());
    }

    std::string work() const { return scratch / "db"; }

    DiskState before, after;
    TempDir pristine, scratch;
};

}  // namespace

TEST_F(CrashSafety, FailureAtAnyStepLosesNothing) {
    for (int step = 0;; ++step) {
        copyFolder(pristine.path(), work());
        Fixture f(std::make_shared<FaultyFileOps>(step, false));
        fillNew(f);
        bool failed = false;
        try {
            f.db->save(work());
        } catch (const IOException&) {
            failed = true;
            EXPECT_TRUE(f.db->isModified()) << step;
            EXPECT_EQ(readText(work() + "/Library.csv"), before.library) << step;
        }
        const auto& ops = dynamic_cast<const FaultyFileOps&>(f.db->files());
        if (!failed) {
            EXPECT_EQ(readState(work()).library, after.library) << step;
        }
        expectRecovered(work(), before, after, step);
        if (ops.steps() <= step) {
            EXPECT_GE(step, kSaveSteps);  // every step of a real save was tried
            break;
        }
    }
}

TEST_F(CrashSafety, ProcessKilledAtAnyStepLosesNothing) {
    for (int step = 0;; ++step) {
        copyFolder(pristine.path(), work());
        const pid_t child = fork();
        if (child == 0) {
            Fixture f(std::make_shared<FaultyFileOps>(step, true));
            fillNew(f);
            try {
                f.db->save(work());
            } catch (...) {
                _exit(2);
            }
            _exit(1);  // finished without reaching the step
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 2) << step;
        if (WEXITSTATUS(status) == 1) {
            EXPECT_EQ(readState(work()), after);
            EXPECT_GE(step, kSaveSteps);
            break;
        }
        expectRecovered(work(), before, after, step);
    }
}
