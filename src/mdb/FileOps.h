#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace mdb {

// A file written under a unique temporary name beside its target. Dropped
// unpublished, the temporary goes; the target is only ever replaced whole.
class PendingFile {
  public:
    virtual ~PendingFile() = default;
    virtual bool write(std::string_view data) = 0;
    // Syncs the data and renames the file over the target; true once the
    // target is replaced.
    virtual bool publish() = 0;
};

// The file-system operations the database's saves are built from. One
// seam, so that tests can make any step fail or stop the process there.
class FileOps {
  public:
    virtual ~FileOps() = default;
    // A new file that will replace `target`; nothing when it cannot be made.
    virtual std::unique_ptr<PendingFile> createBeside(const std::string& target) = 0;
    // Copies `from` into a new file `to`; false when `to` exists already or
    // the copy fails (no partial copy is left then).
    virtual bool copyToNew(const std::string& from, const std::string& to) = 0;
    virtual bool remove(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
};

// The real file system.
class PosixFileOps : public FileOps {
  public:
    std::unique_ptr<PendingFile> createBeside(const std::string& target) override;
    bool copyToNew(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool exists(const std::string& path) override;
};

}  // namespace mdb
