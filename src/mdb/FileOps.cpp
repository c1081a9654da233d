#include "mdb/FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/AtomicFile.h"
#include "platform/UniqueFd.h"

namespace mdb {

namespace {

class PlatformPendingFile : public PendingFile {
  public:
    explicit PlatformPendingFile(const std::string& target) : file_(target) {}
    bool ok() const { return file_.ok(); }
    bool write(std::string_view data) override { return file_.write(data); }
    // A failed folder sync after the rename loses nothing: the target is
    // replaced, only the guarantee against power loss is weaker.
    bool publish() override { return file_.publish() || file_.published(); }

  private:
    platform::AtomicFile file_;
};

bool copyBytes(int from, int to) {
    uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n == 0) {
            return ::fsync(to) == 0;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 || !platform::writeAll(to, {buffer, static_cast<size_t>(n)})) {
            return false;
        }
    }
}

}  // namespace

std::unique_ptr<PendingFile> PosixFileOps::createBeside(const std::string& target) {
    auto file = std::make_unique<PlatformPendingFile>(target);
    if (!file->ok()) {
        return nullptr;
    }
    return file;
}

bool PosixFileOps::copyToNew(const std::string& from, const std::string& to) {
    const platform::UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
        return false;
    }
    platform::UniqueFd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!out.valid()) {
        return false;
    }
    const bool copied = copyBytes(in.get(), out.get());
    out.reset();
    if (!copied) {
        ::unlink(to.c_str());
        return false;
    }
    return true;
}

bool PosixFileOps::remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool PosixFileOps::exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace mdb
