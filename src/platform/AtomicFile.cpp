#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <random>

namespace platform {

namespace {

constexpr std::string_view kTempMark = ".tmp";
constexpr size_t kRandomDigits = 8;

bool isRunning(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

bool writeAll(int fd, const uint8_t* data, size_t size, off_t offset, bool positioned) {
    while (size > 0) {
        const ssize_t n = positioned ? ::pwrite(fd, data, size, offset) : ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target, mode_t mode) : target_(std::move(target)) {
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
        temp_ = temporaryNameFor(target_);
        fd_.reset(::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (fd_.valid() || errno != EEXIST) {
            break;
        }
    }
    if (!fd_.valid()) {
        fail("cannot create " + temp_.string());
        temp_.clear();
    }
}

AtomicFile::~AtomicFile() {
    fd_.reset();
    if (!published_ && !temp_.empty()) {
        ::unlink(temp_.c_str());
    }
}

bool AtomicFile::fail(std::string_view what) {
    error_ = std::string(what) + ": " + std::strerror(errno);
    return false;
}

bool AtomicFile::write(std::span<const uint8_t> bytes) {
    if (!ok()) {
        return false;
    }
    return writeAll(fd_.get(), bytes.data(), bytes.size(), 0, false) || fail("write failed");
}

bool AtomicFile::write(std::string_view text) {
    return write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

bool AtomicFile::writeAt(uint64_t offset, std::span<const uint8_t> bytes) {
    if (!ok()) {
        return false;
    }
    return writeAll(fd_.get(), bytes.data(), bytes.size(), static_cast<off_t>(offset), true) ||
           fail("write failed");
}

bool AtomicFile::setMode(mode_t mode) {
    return ok() && (::fchmod(fd_.get(), mode) == 0 || fail("cannot set permissions"));
}

bool AtomicFile::sync() {
    return ok() && (::fsync(fd_.get()) == 0 || fail("fsync failed"));
}

bool AtomicFile::publish() {
    if (!sync()) {
        return false;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        return fail("cannot replace " + target_.string());
    }
    published_ = true;
    const auto dir = target_.parent_path();
    if (!syncDirectory(dir.empty() ? std::filesystem::path(".") : dir)) {
        return fail("cannot sync folder " + dir.string());
    }
    return true;
}

bool syncDirectory(const std::filesystem::path& dir) {
    UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

// O_EXCL and the retries of the creators settle the rare name clash.
std::filesystem::path temporaryNameFor(const std::filesystem::path& target) {
    std::random_device random;
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, "%.*s%d.%0*x", static_cast<int>(kTempMark.size()),
                  kTempMark.data(), static_cast<int>(::getpid()), static_cast<int>(kRandomDigits),
                  static_cast<unsigned>(random()));
    auto name = target;
    name += suffix;
    return name;
}

std::optional<pid_t> temporaryOwner(std::string_view fileName) {
    const size_t mark = fileName.rfind(kTempMark);
    if (mark == std::string_view::npos || mark == 0) {
        return std::nullopt;
    }
    const std::string_view rest = fileName.substr(mark + kTempMark.size());
    const size_t dot = rest.find('.');
    if (dot == std::string_view::npos || rest.size() - dot - 1 != kRandomDigits ||
        rest.substr(dot + 1).find_first_not_of("0123456789abcdef") != std::string_view::npos) {
        return std::nullopt;
    }
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + dot, pid);
    if (error != std::errc() || end != rest.data() + dot || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

size_t removeStaleTemporaries(const std::filesystem::path& dir) {
    size_t removed = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::optional<pid_t> owner = temporaryOwner(it->path().filename().string());
        if (owner && !isRunning(*owner) && ::unlink(it->path().c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace platform
