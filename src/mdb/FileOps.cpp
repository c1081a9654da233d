#include "mdb/FileOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace mdb {

namespace {

class PosixOutputFile : public OutputFile {
  public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override { close(); }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    bool write(std::string_view data) override {
        while (!data.empty()) {
            const ssize_t n = ::write(fd_, data.data(), data.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            data.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    bool sync() override { return ::fsync(fd_) == 0; }

    bool close() override {
        if (fd_ < 0) {
            return true;
        }
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

  private:
    int fd_;
};

// Closes a directory stream on scope exit.
struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::unique_ptr<OutputFile> PosixFileOps::create(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<PosixOutputFile>(fd);
}

bool PosixFileOps::rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool PosixFileOps::remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool PosixFileOps::exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool PosixFileOps::syncDirectory(const std::string& dir) {
    const int fd = ::open(dir.empty() ? "/" : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

std::vector<std::string> PosixFileOps::list(const std::string& dir) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, DirCloser> stream(::opendir(dir.empty() ? "/" : dir.c_str()));
    if (!stream) {
        return names;
    }
    while (const dirent* entry = ::readdir(stream.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    return names;
}

}  // namespace mdb
