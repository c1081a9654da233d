#pragma once

#include <chrono>
#include <string>

#include "platform/UniqueFd.h"

namespace mdb {

// Holds a library folder for the one process that may save it: an
// exclusive flock on "Library.lock" in the folder, taken before the load
// and kept until the last save, so that two writers never overwrite each
// other's work. The kernel frees it when the process ends, however it
// ends. The file names the holder for the message others get.
class LibraryLock {
  public:
    static constexpr const char* kFileName = "Library.lock";
    static constexpr std::chrono::milliseconds kDefaultWait{2000};

    // Makes the folder when missing, then waits up to `wait` for the lock.
    // Throws LibraryInUseException(dir) naming the holder when it stays
    // taken, FileIOException(lock file) when the lock cannot be made.
    explicit LibraryLock(const std::string& dir, std::chrono::milliseconds wait = kDefaultWait);

  private:
    platform::UniqueFd fd_;
};

}  // namespace mdb
