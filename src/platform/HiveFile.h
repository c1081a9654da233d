#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/RegistryHive.h"
#include "platform/UniqueFd.h"

namespace platform {

// Identifies what a file held when it was looked at, to notice when another
// process has replaced or changed it.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t mtimeNs = 0;

    static FileStamp of(const std::filesystem::path& path);
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

struct HiveFileState {
    RegistryHive hive;
    FileStamp stamp;
    mode_t mode = 0600;   // permission bits of the file, kept when it is rewritten
    std::string problem;  // the file exists but could not be read or parsed
};

// Reads and parses a hive file. A missing file is an empty hive without a
// problem; an unreadable or malformed one is an empty hive with a problem.
HiveFileState readHiveFile(const std::filesystem::path& path);

// Keeps the present file as "<name>.bad" (or ".bad.N" when that exists)
// before it is replaced. False when no copy could be made.
bool keepBadCopy(const std::filesystem::path& path, std::string& error);

// Replaces the file with the rendered hive atomically.
bool writeHiveFile(const std::filesystem::path& path, const RegistryHive& hive, mode_t mode,
                   std::string& error);

// Serialises writers of one hive across processes: an exclusive advisory
// lock on "<hive>.lock", held for the object's lifetime. The lock file is
// never replaced, so every writer locks the same file.
class HiveLock {
  public:
    explicit HiveLock(const std::filesystem::path& hive);
    bool locked() const { return locked_; }

  private:
    UniqueFd fd_;
    bool locked_ = false;
};

}  // namespace platform
