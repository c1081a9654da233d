#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mdb {

// A file being written. Every operation reports success.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    virtual bool write(std::string_view data) = 0;
    virtual bool sync() = 0;
    virtual bool close() = 0;
};

// The file-system operations the database's saves are built from. One
// seam, so that tests can make any step fail or stop the process there.
class FileOps {
  public:
    virtual ~FileOps() = default;
    // Creates or truncates; nothing when the file cannot be opened.
    virtual std::unique_ptr<OutputFile> create(const std::string& path) = 0;
    // Replaces `to` atomically when it exists.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    virtual bool remove(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual bool syncDirectory(const std::string& dir) = 0;
    // Names of the entries of `dir` (without "." and "..").
    virtual std::vector<std::string> list(const std::string& dir) = 0;
};

// The real file system.
class PosixFileOps : public FileOps {
  public:
    std::unique_ptr<OutputFile> create(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool exists(const std::string& path) override;
    bool syncDirectory(const std::string& dir) override;
    std::vector<std::string> list(const std::string& dir) override;
};

}  // namespace mdb
