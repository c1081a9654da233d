#include "stream/FileRewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/UniqueFd.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

namespace {

constexpr size_t kCopyBlock = size_t{1} << 20;

[[noreturn]] void throwErrno(int err) {
    throw CNxSSException(nxss::errnoError(err != 0 ? err : EIO));
}

void copyAll(int from, platform::AtomicFile& to) {
    std::vector<uint8_t> buffer(kCopyBlock);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throwErrno(errno);
        }
        if (n == 0) {
            return;
        }
        if (!to.write(std::span(buffer.data(), static_cast<size_t>(n)))) {
            throwErrno(errno);
        }
    }
}

}  // namespace

void rewriteThroughCopy(const std::string& path,
                        const std::function<bool(const std::string&)>& edit) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(path, ec);
    if (ec) {
        throwErrno(ec.value());
    }
    const platform::UniqueFd source(::open(target.c_str(), O_RDWR | O_CLOEXEC));
    struct stat st {};
    if (!source.valid() || ::fstat(source.get(), &st) != 0) {
        throwErrno(errno);
    }
    platform::AtomicFile copy(target, 0600);
    copyAll(source.get(), copy);
    if (!edit(copy.tempPath().string())) {
        throwErrno(EIO);
    }
    // Only root may give a file away; anyone else keeps their own.
    static_cast<void>(::chown(copy.tempPath().c_str(), st.st_uid, st.st_gid));
    // After chown, which clears set-id bits; a failing folder sync after the
    // rename still leaves the new file in place.
    if (!copy.setMode(st.st_mode & 07777) || (!copy.publish() && !copy.published())) {
        throwErrno(errno);
    }
}
