#include "mdb/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "mdb/Exceptions.h"
#include "platform/TextCodec.h"
#include "platform/UniqueFd.h"

namespace mdb {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A library of a million items takes a few hundred megabytes; a bigger
// file is not one of ours.
constexpr off_t kMaxFileBytes = off_t{1} << 30;

// Opens without waiting on a pipe or device, then makes sure it is a
// regular file of a size that can be held.
platform::UniqueFd openRegular(const std::string& path, size_t& size) {
    platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > kMaxFileBytes || ::fcntl(fd.get(), F_SETFL, 0) != 0) {
        throw FileIOException(path);
    }
    size = static_cast<size_t>(st.st_size);
    return fd;
}

}  // namespace

TextFile::TextFile(const std::string& path) {
    size_t size = 0;
    const platform::UniqueFd fd = openRegular(path, size);
    text_.reserve(size);
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

bool TextFile::nextLine(Cursor& at, std::string& line) const {
    if (at.pos == 0 && text_.starts_with(kUtf8Bom)) {
        at.pos = kUtf8Bom.size();
    }
    if (at.pos >= text_.size()) {
        return false;
    }
    const size_t pos = at.pos;
    size_t end = text_.find('\n', pos);
    at.pos = end == std::string::npos ? text_.size() : end + 1;
    end = end == std::string::npos ? text_.size() : end;
    if (end > pos && text_[end - 1] == '\r') {
        --end;
    }
    ++at.line;
    at.tooLong = end - pos > kMaxLineBytes;
    if (at.tooLong) {
        line.clear();
        return true;
    }
    const std::string_view raw(text_.data() + pos, end - pos);
    line = platform::isValidUtf8(raw) ? std::string(raw) : platform::toUtf8Guess(raw);
    return true;
}

}  // namespace mdb
