#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mdb/MusicInfo.h"

namespace mdb {

class LineSink;
class TagAccess;
class TextFile;

// File formats of exports and imports.
enum FileFormat : int {
    kFormatLibraryCsv = 0,
    kFormatM3u = 1,
    kFormatPls = 2,
};

// Turns records into the lines of one format.
class RecordWriter {
  public:
    virtual ~RecordWriter() = default;
    // Throws IOException when the line cannot be written.
    virtual void write(const MusicInfo& record) = 0;
    // Writes what follows the last record.
    virtual void finish() = 0;
    virtual std::string formatLine(const MusicInfo& record) = 0;
};

// Turns a file's content back into paths or records. Both calls skip what
// cannot be parsed and answer false at the end.
class RecordReader {
  public:
    virtual ~RecordReader() = default;
    virtual bool nextPath(std::string& path) = 0;
    virtual bool nextRecord(MusicInfo& record) = 0;
};

// Something whose records can be exported, in list order.
class RecordSource {
  public:
    virtual void enumerate(RecordWriter& writer) const = 0;

  protected:
    virtual ~RecordSource() = default;
};

// Something that takes the entries of an import.
class ImportTarget {
  public:
    virtual void readFrom(RecordReader& reader, std::vector<std::string>& failed) = 0;

  protected:
    virtual ~ImportTarget() = default;
};

// Throws std::invalid_argument "unknown file format" for other numbers.
void checkFormat(int format);
std::unique_ptr<RecordWriter> makeWriter(int format, LineSink& sink, std::string baseDir);
// `tags` fills the records of M3U and PLS entries.
std::unique_ptr<RecordReader> makeReader(int format, const TextFile& file, std::string baseDir,
                                         TagAccess& tags);

}  // namespace mdb
