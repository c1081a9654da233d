#include "mdb/GenreTable.h"

#include <algorithm>

#include "mdb/Csv.h"
#include "mdb/TextFile.h"

namespace mdb {

namespace {

constexpr std::array<const char*, 80> kStandardGenres = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
};

constexpr uint32_t kNamedSlots = 256;

}  // namespace

GenreTable::GenreTable() : count_(static_cast<uint32_t>(kStandardGenres.size())) {
    std::copy(kStandardGenres.begin(), kStandardGenres.end(), names_.begin());
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
    for (size_t pos = 0; file.nextLine(pos, line);) {
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
