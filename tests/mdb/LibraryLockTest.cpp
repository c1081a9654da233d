// Several processes on one library folder: writers take turns, none loses
// what another saved, and one that cannot wait is told who holds it.
#include "mdb/LibraryLock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "TestSupport.h"
#include "mdb/Exceptions.h"

using namespace mdb;
using mdbtest::Fixture;
using mdbtest::TempDir;

namespace {

// A child process that holds the lock until told to end.
class Holder {
  public:
    explicit Holder(const std::string& dir) {
        int ready[2], done[2];
        if (::pipe(ready) != 0 || ::pipe(done) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(done[1]);  // so that the parent's close ends the read
            const LibraryLock lock(dir);
            char c = 1;
            _exit(::write(ready[1], &c, 1) == 1 && ::read(done[0], &c, 1) >= 0 ? 0 : 1);
        }
        char c = 0;
        ::close(ready[1]);
        ::close(done[0]);
        release_ = done[1];
        if (::read(ready[0], &c, 1) != 1) {
            throw std::runtime_error("holder did not start");
        }
        ::close(ready[0]);
    }
    ~Holder() { end(); }
    pid_t pid() const { return pid_; }
    void end(int signal = 0) {
        if (pid_ > 0) {
            signal != 0 ? ::kill(pid_, signal) : ::close(release_);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
};

// A writer process: takes the lock, loads, adds `count` items of its own
// and saves. Exits 0 when all went well.
pid_t startWriter(const std::string& dir, int id, int count) {
    const pid_t pid = fork();
    if (pid == 0) {
        try {
            const LibraryLock lock(dir, std::chrono::seconds(30));
            Fixture f;
            f.db->load(dir);
            for (int i = 0; i < count; ++i) {
                f.addItem("/m/" + std::to_string(id) + "-" + std::to_string(i) + ".mp3");
            }
            f.db->playlists().create("Writer " + std::to_string(id));
            f.db->save(dir);
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    return pid;
}

}  // namespace

TEST(LibraryLock, WritersTakeTurnsAndLoseNothing) {
    TempDir dir;
    std::vector<pid_t> writers;
    for (int id = 0; id < 4; ++id) {
        writers.push_back(startWriter(dir.path(), id, 300));
    }
    for (const pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Fixture f;
    f.db->load(dir.path());
    EXPECT_EQ(f.db->library().count(), 1200u);
    EXPECT_EQ(f.db->playlists().count(), 4u);
}

TEST(LibraryLock, ASecondWriterIsToldWhichProcessHoldsTheLibrary) {
    TempDir dir;
    Holder holder(dir.path());
    const auto start = std::chrono::steady_clock::now();
    try {
        const LibraryLock second(dir.path(), std::chrono::milliseconds(200));
        ADD_FAILURE() << "taken twice";
    } catch (const LibraryInUseException& e) {
        EXPECT_EQ(e.message(), dir.path());
        EXPECT_EQ(e.holder(), "mdb_tests (process " + std::to_string(holder.pid()) + ")");
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    holder.end();
    EXPECT_NO_THROW(LibraryLock(dir.path(), std::chrono::milliseconds(0)));
}

TEST(LibraryLock, AKilledHolderFreesTheLibrary) {
    TempDir dir;
    Holder holder(dir.path());
    holder.end(SIGKILL);
    EXPECT_NO_THROW(LibraryLock(dir.path(), std::chrono::milliseconds(0)));
}

TEST(LibraryLock, AFolderThatCannotBeMadeNamesTheLockFile) {
    TempDir dir;
    mdbtest::writeText(dir / "plain", "a file, not a folder");
    EXPECT_EQ(mdbtest::thrownText<FileIOException>([&] { LibraryLock lock(dir / "plain/db"); }),
              dir / "plain/db/Library.lock");
}
