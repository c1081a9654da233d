#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace platform {

namespace {

// O_EXCL and the retries in the constructor settle the rare name clash.
std::filesystem::path tempNameFor(const std::filesystem::path& target) {
    std::random_device random;
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".tmp%d.%08x", static_cast<int>(::getpid()),
                  static_cast<unsigned>(random()));
    auto name = target;
    name += suffix;
    return name;
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
        temp_ = tempNameFor(target_);
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

}  // namespace platform
