#include "app/InstanceFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "app/AppSettings.h"

namespace app {

namespace {

std::filesystem::path absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? std::filesystem::path(value)
                                               : std::filesystem::path();
}

std::filesystem::path baseFolder() {
    if (auto runtime = absoluteVariable("XDG_RUNTIME_DIR"); !runtime.empty()) {
        return runtime;
    }
    if (auto cache = absoluteVariable("XDG_CACHE_HOME"); !cache.empty()) {
        return cache;
    }
    return homeFolder() / ".cache";
}

[[noreturn]] void refuse(const std::filesystem::path& folder, const std::string& why) {
    throw std::runtime_error(folder.string() + ": " + why);
}

}  // namespace

std::filesystem::path instanceFolder() {
    const std::filesystem::path folder = baseFolder() / "mp3-melodux";
    std::error_code ec;
    std::filesystem::create_directories(folder.parent_path(), ec);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        refuse(folder, "cannot be made");
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        refuse(folder, "is not a folder");
    }
    if (info.st_uid != ::geteuid()) {
        refuse(folder, "belongs to another user");
    }
    if ((info.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
        refuse(folder, "cannot be made private");
    }
    return folder;
}

}  // namespace app
