#include "platform/TemporaryFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

namespace platform::temporary {

namespace {

constexpr int kAttempts = 16;
constexpr char kPrefix[] = "Nx";
constexpr char kSuffix[] = ".tmp";
constexpr size_t kRandomDigits = 8;

std::filesystem::path folderOf(const std::filesystem::path& target) {
    const auto parent = target.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

std::filesystem::path freshName(const std::filesystem::path& folder, std::random_device& random) {
    char name[48];
    std::snprintf(name, sizeof name, "%s%d-%08x%s", kPrefix, static_cast<int>(::getpid()),
                  static_cast<unsigned>(random()), kSuffix);
    return folder / name;
}

bool isHex(const std::string& text) {
    return text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// EPERM means the process exists under another user.
bool alive(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

}  // namespace

std::optional<pid_t> ownerOf(const std::filesystem::path& name) {
    const std::string text = name.filename().string();
    const size_t dash = text.find('-');
    const size_t prefix = sizeof kPrefix - 1, suffix = sizeof kSuffix - 1;
    if (dash == std::string::npos || text.size() != dash + 1 + kRandomDigits + suffix ||
        text.compare(0, prefix, kPrefix) != 0 ||
        text.compare(text.size() - suffix, suffix, kSuffix) != 0 ||
        !isHex(text.substr(dash + 1, kRandomDigits))) {
        return std::nullopt;
    }
    const std::string digits = text.substr(prefix, dash - prefix);
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const pid_t pid = static_cast<pid_t>(std::stol(digits));
    return pid > 0 ? std::optional<pid_t>(pid) : std::nullopt;
}

int removeStale(const std::filesystem::path& folder) {
    int removed = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const auto owner = ownerOf(it->path());
        std::error_code typeError;
        if (owner && !alive(*owner) && it->is_regular_file(typeError) &&
            ::unlink(it->path().c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

std::optional<Created> createFor(const std::filesystem::path& target, mode_t mode) {
    const auto folder = folderOf(target);
    removeStale(folder);
    std::random_device random;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        Created created;
        created.path = freshName(folder, random);
        created.fd.reset(::open(created.path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (created.fd.valid()) {
            return created;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> linkFor(const std::filesystem::path& file) {
    std::random_device random;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        auto path = freshName(folderOf(file), random);
        if (::link(file.c_str(), path.c_str()) == 0) {
            return path;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return std::nullopt;
}

}  // namespace platform::temporary
