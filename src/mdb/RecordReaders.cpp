#include <algorithm>

#include "mdb/Csv.h"
#include "mdb/PathRules.h"
#include "mdb/ProfileFile.h"
#include "mdb/RecordIO.h"
#include "mdb/TagAccess.h"
#include "mdb/TextFile.h"
#include "platform/TextCodec.h"

namespace mdb {

namespace {

// A PLS entry count beyond this is a damaged or hostile file; every entry
// past the written keys would only produce another failed path.
constexpr long long kMaxPlsEntries = 1'000'000;
constexpr size_t kMaxPlsValue = 1023;

// A record for an entry of a plain playlist. Size and time are left for
// the library's next synchronisation.
MusicInfo recordFromTag(std::string path, TagAccess& tags) {
    auto tag = tags.read(path);
    return recordFromTag(std::move(path), tag);
}

// Readers of line-based formats: lines starting with '#' are skipped,
// lines that are too long or do not parse are skipped and noted.
class LineReader : public RecordReader {
  public:
    LineReader(const TextFile& file, std::string baseDir)
        : file_(file), baseDir_(std::move(baseDir)) {}

    bool nextPath(std::string& path) override {
        std::string line;
        while (nextLine(line)) {
            if (parsePath(line, path)) {
                return true;
            }
            skip(at_.line, "cannot be read");
        }
        return false;
    }

    bool nextRecord(MusicInfo& record) override {
        std::string line;
        while (nextLine(line)) {
            if (parseRecord(line, record)) {
                return true;
            }
            skip(at_.line, "cannot be read");
        }
        return false;
    }

    size_t line() const override { return at_.line; }

  protected:
    virtual bool parsePath(const std::string& line, std::string& path) = 0;
    virtual bool parseRecord(const std::string& line, MusicInfo& record) = 0;
    const std::string& baseDir() const { return baseDir_; }

  private:
    bool nextLine(std::string& line) {
        while (file_.nextLine(at_, line)) {
            if (at_.tooLong) {
                skip(at_.line, "longer than " + std::to_string(TextFile::kMaxLineBytes) + " bytes");
            } else if (line.empty() || line.front() != '#') {
                return true;
            }
        }
        return false;
    }

    const TextFile& file_;
    std::string baseDir_;
    TextFile::Cursor at_;
};

class CsvRecordReader : public LineReader {
  public:
    using LineReader::LineReader;

  protected:
    bool parsePath(const std::string& line, std::string& path) override {
        CsvFields fields(line);
        const auto stored = fields.text();
        if (!stored) {
            return false;
        }
        path = resolvePath(*stored, baseDir());
        return true;
    }

    bool parseRecord(const std::string& line, MusicInfo& record) override {
        CsvFields f(line);
        auto path = f.text(), title = f.text(), artist = f.text(), album = f.text();
        const auto genre = f.number();
        auto comment = f.text();
        const auto year = f.number(), track = f.number(), playTime = f.number();
        const auto size = f.number(), modified = f.number();
        if (!modified) {  // every take after a failed one fails too
            return false;
        }
        record = MusicInfo{resolvePath(*path, baseDir()),
                           std::move(*title),
                           std::move(*artist),
                           std::move(*album),
                           *genre,
                           std::move(*comment),
                           *year,
                           *track,
                           *playTime,
                           *size,
                           *modified};
        return true;
    }
};

class M3uReader : public LineReader {
  public:
    M3uReader(const TextFile& file, std::string baseDir, TagAccess& tags)
        : LineReader(file, std::move(baseDir)), tags_(tags) {}

  protected:
    bool parsePath(const std::string& line, std::string& path) override {
        path = resolvePath(line, baseDir());
        return true;
    }
    bool parseRecord(const std::string& line, MusicInfo& record) override {
        record = recordFromTag(resolvePath(line, baseDir()), tags_);
        return true;
    }

  private:
    TagAccess& tags_;
};

// PLS files are read as profile files: only the "playlist" section's
// "NumberOfEntries" and "FILEn" keys count.
class PlsReader : public RecordReader {
  public:
    PlsReader(const TextFile& file, std::string baseDir, TagAccess& tags)
        : section_(file, "playlist"), baseDir_(std::move(baseDir)), tags_(tags) {
        count_ = std::clamp(section_.integer("NumberOfEntries", 0), 0LL, kMaxPlsEntries);
    }

    bool nextPath(std::string& path) override {
        if (next_ >= count_) {
            return false;
        }
        ++next_;
        const std::string value = section_.text("FILE" + std::to_string(next_)).value_or("");
        path = resolvePath(platform::utf8Truncate(value, kMaxPlsValue), baseDir_);
        return true;
    }

    bool nextRecord(MusicInfo& record) override {
        std::string path;
        if (!nextPath(path)) {
            return false;
        }
        record = recordFromTag(std::move(path), tags_);
        return true;
    }

  private:
    ProfileSection section_;
    std::string baseDir_;
    TagAccess& tags_;
    long long count_ = 0;
    long long next_ = 0;
};

}  // namespace

std::unique_ptr<RecordReader> makeReader(int format, const TextFile& file, std::string baseDir,
                                         TagAccess& tags) {
    checkFormat(format);
    switch (format) {
        case kFormatLibraryCsv:
            return std::make_unique<CsvRecordReader>(file, std::move(baseDir));
        case kFormatM3u:
            return std::make_unique<M3uReader>(file, std::move(baseDir), tags);
        default:
            return std::make_unique<PlsReader>(file, std::move(baseDir), tags);
    }
}

}  // namespace mdb
