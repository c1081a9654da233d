#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/TemporaryFiles.h"

namespace platform {

namespace {}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target, mode_t mode) : target_(std::move(target)) {
    auto created = temporary::createFor(target_, mode);
    if (!created) {
        fail("cannot create a temporary file for " + target_.string());
        return;
    }
    temp_ = std::move(created->path);
    fd_ = std::move(created->fd);
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
    return writeAll(fd_.get(), bytes) || fail("write failed");
}

bool AtomicFile::write(std::string_view text) {
    return write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

bool AtomicFile::writeAt(uint64_t offset, std::span<const uint8_t> bytes) {
    if (!ok()) {
        return false;
    }
    return writeAll(fd_.get(), bytes, static_cast<off_t>(offset)) || fail("write failed");
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

bool writeAll(int fd, std::span<const uint8_t> bytes, std::optional<off_t> offset) {
    const uint8_t* data = bytes.data();
    size_t size = bytes.size();
    while (size > 0) {
        const ssize_t n = offset ? ::pwrite(fd, data, size, *offset) : ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        if (offset) {
            *offset += n;
        }
    }
    return true;
}

bool syncDirectory(const std::filesystem::path& dir) {
    UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

}  // namespace platform
