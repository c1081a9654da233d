#include "mp3/writer/OutputFileMode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/UniqueFd.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

namespace {

constexpr mode_t kNewFileBits = 0666;
constexpr mode_t kUsualUmask = 022;
constexpr mode_t kPermissionBits = 07777;

// Read from the process status: umask() itself would change it for a moment
// under the other threads.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    return kUsualUmask;
}

void Flush(const std::string& path, int flags) {
    const platform::UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC));
    if (!fd.valid() || ::fsync(fd.get()) != 0) {
        throw CNxSSException(nxss::errnoError(errno != 0 ? errno : EIO));
    }
}

}  // namespace

mode_t OutputFileMode(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        return st.st_mode & kPermissionBits;
    }
    return kNewFileBits & ~CurrentUmask();
}

// The permissions are a courtesy: a file system without them (a FAT stick)
// still gets the audio.
void SettleOutputFile(const std::string& path, mode_t mode) {
    static_cast<void>(::chmod(path.c_str(), mode));
    Flush(path, O_RDONLY);
    const auto folder = std::filesystem::path(path).parent_path();
    Flush(folder.empty() ? std::string(".") : folder.string(), O_RDONLY | O_DIRECTORY);
}
