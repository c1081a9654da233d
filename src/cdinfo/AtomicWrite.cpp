#include "cdinfo/AtomicWrite.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace cdinfo {

namespace {

// A temporary file that is removed unless committed.
class TempFile {
  public:
    explicit TempFile(const std::filesystem::path& target)
        : path_(target.string() + ".tmp-XXXXXX"), fd_(mkstemp(path_.data())) {}
    ~TempFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!committed_) {
            ::unlink(path_.c_str());
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool write(std::string_view bytes) {
        while (fd_ >= 0 && !bytes.empty()) {
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return fd_ >= 0;
    }

    bool commit(const std::filesystem::path& target) {
        if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
            fd_ = -1;
            return false;
        }
        fd_ = -1;
        committed_ = ::rename(path_.c_str(), target.c_str()) == 0;
        return committed_;
    }

  private:
    std::string path_;
    int fd_;
    bool committed_ = false;
};

}  // namespace

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    TempFile file(target);
    return file.write(bytes) && file.commit(target);
}

}  // namespace cdinfo
