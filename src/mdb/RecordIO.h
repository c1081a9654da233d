#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mdb/MusicInfo.h"

namespace mdb {

class TagAccess;
class TextFile;

// Receives the lines of an export.
class LineSink {
  public:
    virtual void writeLine(std::string_view line) = 0;

  protected:
    virtual ~LineSink() = default;
};

// A line of a file that an import could not take, and why.
struct LineProblem {
    size_t line = 0;  // from 1
    std::string what;
    bool operator==(const LineProblem&) const = default;
};

// What an import could not take: the entries refused (their paths) and,
// by line, those and the lines that could not be read.
struct ImportResult {
    std::vector<std::string> failed;
    std::vector<LineProblem> problems;
};

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
// cannot be parsed, noting it in skipped(), and answer false at the end.
class RecordReader {
  public:
    virtual ~RecordReader() = default;
    virtual bool nextPath(std::string& path) = 0;
    virtual bool nextRecord(MusicInfo& record) = 0;
    // The line of the entry last returned (0 in formats without lines).
    virtual size_t line() const { return 0; }
    const std::vector<LineProblem>& skipped() const { return skipped_; }

  protected:
    void skip(size_t line, std::string what) { skipped_.push_back({line, std::move(what)}); }

  private:
    std::vector<LineProblem> skipped_;
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
    virtual void readFrom(RecordReader& reader, ImportResult& result) = 0;

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
