#pragma once

#include <string>
#include <vector>

#include "mdb/RecordIO.h"
#include "mdb/TextFile.h"

namespace mdb {

class FileOps;
class TagAccess;

// Writes the records of `source` into `path` in `format` (0 library CSV,
// 1 M3U, 2 PLS), replacing the file atomically; a refused or failed export
// leaves an existing file intact. Throws std::invalid_argument for a
// relative path ("Not absolute path."), a path without a directory ("No
// base directory.") or another format ("unknown file format"),
// FileIOException(path) when the file cannot be written, IOException when
// a line cannot.
void exportToFile(FileOps& files, const RecordSource& source, const std::string& path, int format);

// An import whose file has been read and whose arguments are checked, so
// that a target can be cleared only once the import can go ahead.
class PreparedImport {
  public:
    // Throws FileIOException(path) when the file cannot be read, then the
    // argument errors of exportToFile.
    PreparedImport(const std::string& path, int format);
    // Hands the entries to `target`; what it refuses and the lines that
    // cannot be read end in `result`, by line.
    void readInto(ImportTarget& target, TagAccess& tags, ImportResult& result) const;

  private:
    TextFile file_;
    std::string baseDir_;
    int format_;
};

}  // namespace mdb
