#pragma once

#include <string_view>
#include <vector>

namespace cli {

// The track numbers (from 1) that a list such as "1,3-5" names, ascending,
// each once. Throws std::invalid_argument, saying what is wrong, for text
// that is no such list or that names a track beyond `trackCount`.
std::vector<int> parseTrackList(std::string_view text, int trackCount);

}  // namespace cli
