#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "mdb/GenreTable.h"

namespace app {

// The genres a user picks from: every named number a tag byte holds, by
// name, without the "Unknown" of slots that have none.
std::vector<std::pair<std::string, uint32_t>> genreChoices(const mdb::GenreTable& table);

}  // namespace app
