#include "platform/wma/TemporaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "platform/wma/WmaError.h"

namespace platform::wma {

namespace {

constexpr int kAttempts = 100;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the user's umask, as for any new file

Error systemError(const std::string& what, const std::filesystem::path& path) {
    return Error(Error::Kind::WriteFailed,
                 what + " " + path.string() + ": " + std::strerror(errno));
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    const auto parent = target.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

void syncFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw systemError("cannot open", path);
    }
    const int synced = ::fsync(fd);
    ::close(fd);
    if (synced != 0) {
        throw systemError("cannot flush", path);
    }
}

std::filesystem::path randomName(const std::filesystem::path& folder, std::mt19937& random) {
    char name[16];
    std::snprintf(name, sizeof name, "Nx%06X.tmp", static_cast<unsigned>(random() & 0xFFFFFF));
    return folder / name;
}

}  // namespace

TemporaryFile::TemporaryFile(const std::filesystem::path& target) : target_(target) {
    std::mt19937 random(std::random_device{}());
    for (int i = 0; i < kAttempts; ++i) {
        path_ = randomName(folderOf(target), random);
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd >= 0) {
            ::close(fd);
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    owned_ = false;
    throw systemError("cannot create a temporary file in", folderOf(target));
}

TemporaryFile::~TemporaryFile() {
    discard();
}

void TemporaryFile::commit() {
    syncFile(path_);
    if (std::rename(path_.c_str(), target_.c_str()) != 0) {
        throw systemError("cannot replace", target_);
    }
    owned_ = false;
}

void TemporaryFile::discard() {
    if (owned_) {
        std::remove(path_.c_str());
        owned_ = false;
    }
}

}  // namespace platform::wma
