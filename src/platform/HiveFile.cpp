#include "platform/HiveFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/RegistryText.h"

namespace platform {

namespace {

// A settings file beyond this is not a settings file.
constexpr off_t kMaxHiveSize = 16 << 20;

FileStamp stampOf(const struct stat& st) {
    return FileStamp{true, st.st_dev, st.st_ino, st.st_size,
                     int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

bool readAll(int fd, std::string& text) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > static_cast<size_t>(kMaxHiveSize)) {
            errno = EFBIG;
            return false;
        }
    }
}

std::string errnoText() {
    return std::strerror(errno);
}

bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to,
              std::string& error) {
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    std::string bytes;
    if (!in.valid() || !readAll(in.get(), bytes)) {
        error = "cannot read " + from.string() + ": " + errnoText();
        return false;
    }
    AtomicFile out(to, 0600);
    if (!out.write(bytes) || !out.publish()) {
        error = out.error();
        return false;
    }
    return true;
}

}  // namespace

FileStamp FileStamp::of(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? stampOf(st) : FileStamp{};
}

HiveFileState readHiveFile(const std::filesystem::path& path) {
    HiveFileState state;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno != ENOENT && errno != ENOTDIR) {
            state.stamp = FileStamp::of(path);
            state.problem = "読み込めません (" + errnoText() + ")";
        }
        return state;
    }
    struct stat st {};
    std::string text;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || !readAll(fd.get(), text)) {
        state.stamp = FileStamp::of(path);
        state.problem = "読み込めません (" +
                        (S_ISREG(st.st_mode) ? errnoText() : "通常のファイルではありません") + ")";
        return state;
    }
    state.stamp = stampOf(st);
    state.mode = st.st_mode & 07777;
    RegistryParseError error;
    if (!parseRegistryText(text, state.hive, error)) {
        state.problem = std::to_string(error.line) + " 行目: " + error.message;
    }
    return state;
}

bool keepBadCopy(const std::filesystem::path& path, std::string& error) {
    for (int n = 0; n < 100; ++n) {
        auto bad = path;
        bad += n == 0 ? std::string(".bad") : ".bad." + std::to_string(n);
        if (::link(path.c_str(), bad.c_str()) == 0) {
            return syncDirectory(path.parent_path().empty() ? "." : path.parent_path());
        }
        if (errno == EEXIST) {
            continue;
        }
        // Hard links are not available everywhere; a copy does as well.
        return copyFile(path, bad, error);
    }
    error = "too many .bad copies beside " + path.string();
    return false;
}

bool writeHiveFile(const std::filesystem::path& path, const RegistryHive& hive, mode_t mode,
                   std::string& error) {
    AtomicFile out(path, 0600);
    if (!out.setMode(mode) || !out.write(renderRegistryText(hive)) || !out.publish()) {
        error = out.error();
        return false;
    }
    return true;
}

HiveLock::HiveLock(const std::filesystem::path& hive) {
    auto name = hive;
    name += ".lock";
    fd_.reset(::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    while (fd_.valid() && !locked_) {
        locked_ = ::flock(fd_.get(), LOCK_EX) == 0;
        if (!locked_ && errno != EINTR) {
            break;
        }
    }
}

}  // namespace platform
