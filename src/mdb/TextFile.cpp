#include "mdb/TextFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "mdb/Exceptions.h"
#include "platform/TextCodec.h"

namespace mdb {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Closes a file descriptor on scope exit.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

TextFile::TextFile(const std::string& path) {
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        throw FileIOException(path);
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0) {
            return;
        }
        if (n < 0 && errno != EINTR) {
            throw FileIOException(path);
        }
        if (n > 0) {
            text_.append(buffer, static_cast<size_t>(n));
        }
    }
}

TextFile TextFile::fromText(std::string text) {
    TextFile file;
    file.text_ = std::move(text);
    return file;
}

bool TextFile::nextLine(size_t& pos, std::string& line) const {
    if (pos == 0 && text_.starts_with(kUtf8Bom)) {
        pos = kUtf8Bom.size();
    }
    if (pos >= text_.size()) {
        return false;
    }
    size_t end = text_.find('\n', pos);
    const size_t next = end == std::string::npos ? text_.size() : end + 1;
    end = end == std::string::npos ? text_.size() : end;
    if (end > pos && text_[end - 1] == '\r') {
        --end;
    }
    const std::string_view raw(text_.data() + pos, end - pos);
    line = platform::isValidUtf8(raw) ? std::string(raw) : platform::toUtf8Guess(raw);
    pos = next;
    return true;
}

}  // namespace mdb
