#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"

namespace platform {

// A file written under a temporary name beside its target and moved into
// place by publish() (fsync, rename, fsync of the folder), so readers see
// either the old file or the complete new one. Destroying an unpublished
// file removes the temporary. After publish() the descriptor stays open, so
// a caller may keep appending to the published file.
class AtomicFile {
  public:
    // Creates the temporary with the given permission bits (less the umask).
    explicit AtomicFile(std::filesystem::path target, mode_t mode = 0666);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool ok() const { return fd_.valid() && error_.empty(); }
    // Why the last operation failed (empty when none did).
    const std::string& error() const { return error_; }

    bool write(std::span<const uint8_t> bytes);
    bool write(std::string_view text);
    bool writeAt(uint64_t offset, std::span<const uint8_t> bytes);
    // Sets the permission bits exactly (no umask).
    bool setMode(mode_t mode);
    bool sync();
    bool publish();
    bool published() const { return published_; }

    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& tempPath() const { return temp_; }

  private:
    bool fail(std::string_view what);

    std::filesystem::path target_;
    std::filesystem::path temp_;
    UniqueFd fd_;
    std::string error_;
    bool published_ = false;
};

// Writes every byte (at `offset` when given), going on after short writes
// and interruptions; false with errno set on failure.
bool writeAll(int fd, std::span<const uint8_t> bytes, std::optional<off_t> offset = std::nullopt);

// Flushes a folder's entry table to disk (after a rename inside it).
bool syncDirectory(const std::filesystem::path& dir);

}  // namespace platform
