#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "mdb/FileOps.h"

namespace mdb {

// Receives the lines of an export.
class LineSink {
  public:
    virtual void writeLine(std::string_view line) = 0;

  protected:
    virtual ~LineSink() = default;
};

// Writes a file under a temporary name and moves it over the target only
// when every byte is on disk, so the target is always either the complete
// old or the complete new file. Without commit() the temporary file is
// removed.
class AtomicFile : public LineSink {
  public:
    // Opens `temp`; failure throws FileIOException naming `errorPath`
    // (the temporary file itself when empty).
    AtomicFile(FileOps& files, std::string target, std::string temp, std::string errorPath = "");
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Throws IOException when the data cannot be written.
    void writeLine(std::string_view line) override;
    // Flushes, syncs and renames over the target. Failure to get the data
    // on disk throws FileIOException(errorPath); failure to rename throws
    // FileIOException(renameErrorPath, the target when empty).
    void commit(const std::string& renameErrorPath = "");

    // The default temporary name for `target`: hidden, beside it.
    static std::string tempNameFor(const std::string& target);

  private:
    void flushBuffer();

    FileOps& files_;
    std::string target_;
    std::string temp_;
    std::string errorPath_;
    std::unique_ptr<OutputFile> out_;
    std::string buffer_;
    bool committed_ = false;
};

}  // namespace mdb
