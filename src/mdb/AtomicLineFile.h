#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "mdb/FileOps.h"
#include "mdb/RecordIO.h"

namespace mdb {

// Lines written into a file that replaces `target` in one rename once
// every byte is on disk, so the target is always either the complete old
// or the complete new file. Without commit() the new file is dropped.
class AtomicLineFile : public LineSink {
  public:
    // Failure to create the file throws FileIOException(target).
    AtomicLineFile(FileOps& files, std::string target);

    // Throws IOException when the data cannot be written.
    void writeLine(std::string_view line) override;
    // Throws IOException when the last lines cannot be written,
    // FileIOException(target) when the data cannot be synced or renamed.
    void commit();

  private:
    void flushBuffer();

    std::string target_;
    std::unique_ptr<PendingFile> file_;
    std::string buffer_;
};

}  // namespace mdb
