#include <stdexcept>

#include "mdb/Csv.h"
#include "mdb/PathRules.h"
#include "mdb/RecordIO.h"
#include "platform/TextCodec.h"

namespace mdb {

namespace {

class LineWriter : public RecordWriter {
  public:
    LineWriter(LineSink& sink, std::string baseDir) : sink_(sink), baseDir_(std::move(baseDir)) {}
    void write(const MusicInfo& record) override { sink_.writeLine(formatLine(record)); }
    void finish() override {}

  protected:
    std::string relative(const std::string& path) const { return relativeForm(path, baseDir_); }
    LineSink& sink_;

  private:
    std::string baseDir_;
};

class CsvRecordWriter : public LineWriter {
  public:
    using LineWriter::LineWriter;
    std::string formatLine(const MusicInfo& r) override {
        std::string line;
        line.reserve(128);
        appendCsvText(line, relative(r.path));
        for (const std::string* text : {&r.title, &r.artist, &r.album}) {
            line += ',';
            appendCsvText(line, platform::utf8Truncate(*text, kMaxFieldBytes));
        }
        line += ',';
        appendCsvNumber(line, r.genre);
        line += ',';
        appendCsvText(line, platform::utf8Truncate(r.comment, kMaxFieldBytes));
        for (const uint32_t number : {r.year, r.track, r.playTime, r.size, r.modified}) {
            line += ',';
            appendCsvNumber(line, number);
        }
        return line;
    }
};

class M3uWriter : public LineWriter {
  public:
    using LineWriter::LineWriter;
    std::string formatLine(const MusicInfo& r) override { return relative(r.path); }
};

class PlsWriter : public LineWriter {
  public:
    PlsWriter(LineSink& sink, std::string baseDir) : LineWriter(sink, std::move(baseDir)) {
        sink_.writeLine("[playlist]");
    }
    std::string formatLine(const MusicInfo& r) override {
        return "FILE" + std::to_string(++entries_) + "=" + relative(r.path);
    }
    void finish() override { sink_.writeLine("NumberOfEntries=" + std::to_string(entries_)); }

  private:
    uint32_t entries_ = 0;
};

}  // namespace

void checkFormat(int format) {
    if (format != kFormatLibraryCsv && format != kFormatM3u && format != kFormatPls) {
        throw std::invalid_argument("unknown file format");
    }
}

std::unique_ptr<RecordWriter> makeWriter(int format, LineSink& sink, std::string baseDir) {
    checkFormat(format);
    switch (format) {
        case kFormatLibraryCsv:
            return std::make_unique<CsvRecordWriter>(sink, std::move(baseDir));
        case kFormatM3u:
            return std::make_unique<M3uWriter>(sink, std::move(baseDir));
        default:
            return std::make_unique<PlsWriter>(sink, std::move(baseDir));
    }
}

}  // namespace mdb
