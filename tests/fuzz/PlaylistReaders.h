#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mdb/RecordIO.h"
#include "mdb/TagAccess.h"
#include "mdb/TextFile.h"

namespace mdbfuzz {

// No music file can be opened: readers fall back to file names.
class NoTags : public mdb::TagAccess {
  public:
    std::optional<mdb::TagInfo> read(const std::string&) override { return std::nullopt; }
    mdb::TagWriteResult write(const std::string&, const mdb::TagEdit&) override {
        return mdb::TagWriteResult::Unreadable;
    }
    std::optional<mdb::FileStatus> status(const std::string&) override { return std::nullopt; }
};

// Reads `data` as a file of `format` both ways: as paths and as records.
inline void readAll(int format, const uint8_t* data, size_t size) {
    const auto file =
        mdb::TextFile::fromText(std::string(reinterpret_cast<const char*>(data), size));
    NoTags tags;
    std::string path;
    const auto paths = mdb::makeReader(format, file, "/base", tags);
    for (size_t n = 0; n < 4096 && paths->nextPath(path);) {
        ++n;
    }
    mdb::MusicInfo record;
    const auto records = mdb::makeReader(format, file, "/base", tags);
    for (size_t n = 0; n < 4096 && records->nextRecord(record);) {
        ++n;
    }
}

}  // namespace mdbfuzz
