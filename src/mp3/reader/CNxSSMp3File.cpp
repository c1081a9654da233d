#include "mp3/reader/CNxSSMp3File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/AtomicFile.h"
#include "platform/TemporaryFiles.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

namespace {

constexpr size_t kId3v2HeaderSize = 10;

[[noreturn]] void throwErrno() {
    throw CNxSSException(nxss::errnoError(errno != 0 ? errno : EIO));
}

// Reads up to count bytes at offset, retrying short reads.
size_t readAt(int fd, uint64_t offset, uint8_t* buffer, size_t count) {
    size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd, buffer + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throwErrno();
        }
        if (n == 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    return got;
}

void writeAll(int fd, uint64_t offset, const uint8_t* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n =
            ::pwrite(fd, buffer + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throwErrno();
        }
        done += static_cast<size_t>(n);
    }
}

uint64_t sizeOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        throwErrno();
    }
    return static_cast<uint64_t>(st.st_size);
}

platform::UniqueFd openOrThrow(const std::string& path, int flags) {
    platform::UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC, 0644));
    if (!fd.valid()) {
        throwErrno();
    }
    return fd;
}

// Read from the process status: umask() itself would change it for a moment
// under the other threads.
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    return 022;
}

// A new file gets the permissions of the one it replaces, or what the
// umask leaves of rw-rw-rw-, as a file written in place would.
mode_t modeFor(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        return st.st_mode & 07777;
    }
    return 0666 & ~currentUmask();
}

std::string folderOf(const std::string& path) {
    const auto folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// The 28-bit size of an ID3v2 tag: seven bits from each of four bytes.
uint64_t id3v2Size(const uint8_t* header) {
    uint64_t size = 0;
    for (int i = 6; i < 10; ++i) {
        size = (size << 7) | (header[i] & 0x7F);
    }
    return size;
}

}  // namespace

CNxSSMp3File::CNxSSMp3File(std::string path) : CNxSSObject(nullptr), path_(std::move(path)) {
    SetTag("MP3FILE ");
}

CNxSSMp3File::CNxSSMp3File(std::string path, Window window) : CNxSSMp3File(std::move(path)) {
    window_ = window;
}

CNxSSMp3File::~CNxSSMp3File() {
    CloseAndDiscard();
}

void CNxSSMp3File::Open(Mode mode) {
    fd_.reset();
    dataStart_ = dataSize_ = fileSize_ = 0;
    if (mode == kCreate) {
        auto created = platform::temporary::createFor(path_);
        if (!created) {
            throwErrno();
        }
        tempPath_ = created->path.string();
        // Permissions are a courtesy: a file system without them still
        // gets the audio.
        static_cast<void>(::fchmod(created->fd.get(), modeFor(path_)));
        fd_ = std::move(created->fd);
        return;
    }
    fd_ = openOrThrow(path_, mode == kRead ? O_RDONLY : O_RDWR);
    fileSize_ = sizeOf(fd_.get());
    dataSize_ = fileSize_;
    if (mode == kRead) {
        FindTags();
        Seek(0, kBegin);
    }
}

void CNxSSMp3File::FindTags() {
    if (window_) {
        dataStart_ = std::min(fileSize_, window_->start);
        dataSize_ = std::min(fileSize_ - dataStart_, window_->size);
        return;
    }
    uint8_t header[kId3v2HeaderSize];
    if (readAt(fd_.get(), 0, header, sizeof header) == sizeof header &&
        std::memcmp(header, "ID3", 3) == 0) {
        // A tag claiming more than the file holds leaves no audio, not a
        // negative size.
        dataStart_ = std::min(fileSize_, kId3v2HeaderSize + id3v2Size(header));
        dataSize_ = fileSize_ - dataStart_;
    }
    if (fileSize_ >= kTagSize && dataSize_ >= kTagSize) {
        uint8_t tag[3];
        if (readAt(fd_.get(), fileSize_ - kTagSize, tag, sizeof tag) == sizeof tag &&
            std::memcmp(tag, "TAG", 3) == 0) {
            dataSize_ -= kTagSize;
        }
    }
}

// The new file reaches the disk before it replaces the old one; a failure
// keeps the old file and removes the new one.
void CNxSSMp3File::CloseAndCommit() {
    if (tempPath_.empty()) {
        fd_.reset();
        return;
    }
    int err = ::fsync(fd_.get()) == 0 ? 0 : errno;
    fd_.reset();
    if (err == 0 && ::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        err = errno;
    }
    if (err != 0) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        throw CNxSSException(nxss::errnoError(err));
    }
    tempPath_.clear();
    // The file is in place either way; this makes the rename durable.
    static_cast<void>(platform::syncDirectory(folderOf(path_)));
}

void CNxSSMp3File::CloseAndDiscard() {
    fd_.reset();
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

size_t CNxSSMp3File::Read(uint8_t* buffer, size_t count) {
    for (;;) {
        const ssize_t n = ::read(fd_.get(), buffer, count);
        if (n >= 0) {
            return static_cast<size_t>(n);
        }
        if (errno != EINTR) {
            throwErrno();
        }
    }
}

size_t CNxSSMp3File::Write(const uint8_t* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_.get(), buffer + done, count - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throwErrno();
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

int64_t CNxSSMp3File::Seek(int64_t offset, Origin origin) {
    const int whence = origin == kBegin ? SEEK_SET : origin == kCurrent ? SEEK_CUR : SEEK_END;
    const int64_t base = origin == kBegin ? static_cast<int64_t>(dataStart_) : 0;
    const off_t at = ::lseek(fd_.get(), static_cast<off_t>(base + offset), whence);
    if (at < 0) {
        throwErrno();
    }
    return at - static_cast<int64_t>(dataStart_);
}

int64_t CNxSSMp3File::Tell() const {
    const off_t at = ::lseek(fd_.get(), 0, SEEK_CUR);
    if (at < 0) {
        throwErrno();
    }
    return at - static_cast<int64_t>(dataStart_);
}

bool CNxSSMp3File::Exists() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(path_, ec);
}

std::optional<CNxSSMp3File::TagBytes> CNxSSMp3File::ReadTag() const {
    if (window_) {
        return std::nullopt;
    }
    const platform::UniqueFd fd = openOrThrow(path_, O_RDONLY);
    const uint64_t size = sizeOf(fd.get());
    TagBytes block{};
    if (size < kTagSize || readAt(fd.get(), size - kTagSize, block.data(), kTagSize) != kTagSize ||
        std::memcmp(block.data(), "TAG", 3) != 0) {
        return std::nullopt;
    }
    return block;
}

void CNxSSMp3File::WriteTag(const TagBytes& block) const {
    if (window_) {
        throw CNxSSException(nxss::kUndefined);
    }
    const platform::UniqueFd fd = openOrThrow(path_, O_RDWR);
    const uint64_t size = sizeOf(fd.get());
    uint8_t head[3] = {};
    const bool tagged = size >= kTagSize &&
                        readAt(fd.get(), size - kTagSize, head, sizeof head) == sizeof head &&
                        std::memcmp(head, "TAG", 3) == 0;
    const uint64_t at = tagged ? size - kTagSize : size;
    try {
        writeAll(fd.get(), at, block.data(), block.size());
    } catch (const CNxSSException&) {
        // A half-appended tag would be played as junk: cut it off again,
        // keeping the write's own error as the one reported.
        if (!tagged) {
            const int ignored = ::ftruncate(fd.get(), static_cast<off_t>(size));
            static_cast<void>(ignored);
        }
        throw;
    }
    if (::fsync(fd.get()) != 0) {
        throwErrno();
    }
}
