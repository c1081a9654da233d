#include "app/GenreChoices.h"

#include <algorithm>

#include "mdb/MusicInfo.h"

namespace app {

std::vector<std::pair<std::string, uint32_t>> genreChoices(const mdb::GenreTable& table) {
    const std::string& unknown = table.name(mdb::GenreTable::kUnknownSlot);
    const uint32_t end = std::min<uint32_t>(table.count(), mdb::MusicInfo::kNoGenre);
    std::vector<std::pair<std::string, uint32_t>> named;
    for (uint32_t number = 0; number < end; ++number) {
        if (table.name(number) != unknown) {
            named.emplace_back(table.name(number), number);
        }
    }
    std::sort(named.begin(), named.end());
    return named;
}

}  // namespace app
