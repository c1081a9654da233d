#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/UniqueFd.h"

namespace fuzz {

// The input as an anonymous in-memory file, opened through its /proc path
// like any file on disk: no file system is written, and nothing is left
// behind when a run is stopped.
class MemoryFile {
  public:
    MemoryFile(const uint8_t* data, size_t size) : fd_(::memfd_create("fuzz", MFD_CLOEXEC)) {
        for (size_t done = 0; fd_.valid() && done < size;) {
            const ssize_t n = ::write(fd_.get(), data + done, size - done);
            if (n <= 0) {
                fd_.reset();
                break;
            }
            done += static_cast<size_t>(n);
        }
    }

    bool ok() const { return fd_.valid(); }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_.get()); }

  private:
    platform::UniqueFd fd_;
};

}  // namespace fuzz
