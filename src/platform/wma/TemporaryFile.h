#pragma once

#include <filesystem>

namespace platform::wma {

// A new, uniquely named file in a target's folder (platform::temporary)
// that stands in for the target while it is written. commit() moves it over the target
// in one step; otherwise it is removed when the object goes away.
class TemporaryFile {
  public:
    // Creates the file (empty). Throws Error(WriteFailed) when the folder is
    // not writable.
    explicit TemporaryFile(const std::filesystem::path& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    const std::filesystem::path& target() const { return target_; }

    // Flushes the file to disk and renames it to the target, replacing any
    // file there. Throws Error(WriteFailed); the temporary file then stays
    // owned and is removed later.
    void commit();
    // Removes the file now (also done by the destructor).
    void discard();

  private:
    std::filesystem::path target_;
    std::filesystem::path path_;
    bool owned_ = true;
};

}  // namespace platform::wma
