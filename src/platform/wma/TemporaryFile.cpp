#include "platform/wma/TemporaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/TemporaryFiles.h"
#include "platform/wma/WmaError.h"

namespace platform::wma {

namespace {

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

}  // namespace

TemporaryFile::TemporaryFile(const std::filesystem::path& target) : target_(target) {
    if (auto created = temporary::createFor(target)) {
        path_ = std::move(created->path);
        return;
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
