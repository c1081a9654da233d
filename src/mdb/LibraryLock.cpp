#include "mdb/LibraryLock.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <thread>

#include "mdb/Exceptions.h"
#include "mdb/PathRules.h"

namespace mdb {

namespace {

constexpr std::chrono::milliseconds kRetryEvery{20};

bool tryLock(int fd) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

std::string programName() {
    return program_invocation_short_name;
}

// "melodux (process 42)", from what the holder wrote into the file; ""
// when that process is gone (a program that does not name itself holds
// the lock).
std::string holderOf(int fd) {
    char text[256];
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) {
        return "";
    }
    const std::string line(text, static_cast<size_t>(n));
    const size_t space = line.find(' ');
    const size_t end = line.find('\n');
    pid_t pid = 0;
    if (space == std::string::npos || end == std::string::npos || end < space ||
        std::from_chars(line.data(), line.data() + space, pid).ptr != line.data() + space ||
        (::kill(pid, 0) != 0 && errno == ESRCH)) {
        return "";
    }
    return line.substr(space + 1, end - space - 1) + " (process " + line.substr(0, space) + ")";
}

void nameHolder(int fd) {
    const std::string line = std::to_string(::getpid()) + " " + programName() + "\n";
    // The name only serves messages; failing to write it is no reason to
    // give up the lock.
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, line.data(), line.size(), 0);
    }
}

}  // namespace

LibraryLock::LibraryLock(const std::string& dir, std::chrono::milliseconds wait) {
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    const std::string path = joinPath(dir, kFileName);
    fd_.reset(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!fd_.valid()) {
        throw FileIOException(path);
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!tryLock(fd_.get())) {
        if (errno != EWOULDBLOCK) {
            throw FileIOException(path);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            throw LibraryInUseException(dir, holderOf(fd_.get()));
        }
        std::this_thread::sleep_for(kRetryEvery);
    }
    nameHolder(fd_.get());
}

}  // namespace mdb
