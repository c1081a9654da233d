#include "mdb/GenreTable.h"

#include <algorithm>

#include "mdb/Csv.h"
#include "mdb/TextFile.h"
#include "platform/Id3v1Genres.h"

namespace mdb {

namespace {

constexpr uint32_t kNamedSlots = 256;

}  // namespace

GenreTable::GenreTable() : count_(platform::kId3v1GenreCount) {
    for (int genre = 0; genre < platform::kId3v1GenreCount; ++genre) {
        names_[genre] = platform::id3v1GenreName(genre);
    }
    names_[kUnknownSlot] = "Unknown";
}

const std::string& GenreTable::name(uint32_t number) const {
    const std::string& slot = names_[std::min(number, kUnknownSlot)];
    return slot.empty() ? names_[kUnknownSlot] : slot;
}

void GenreTable::load(const std::string& path) {
    const TextFile file(path);
    auto working = names_;
    uint32_t highest = 0;
    std::string line;
    for (TextFile::Cursor at; file.nextLine(at, line);) {
        CsvFields fields(line);
        const auto number = fields.number();
        const auto text = number ? fields.text() : std::nullopt;
        if (!number || *number >= kNamedSlots || !text || text->empty()) {
            continue;
        }
        working[*number] = *text;
        highest = std::max(highest, *number);
    }
    names_ = std::move(working);
    count_ = std::max(count_, highest + 1);
}

}  // namespace mdb
