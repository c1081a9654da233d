#pragma once

#include <string>
#include <string_view>

namespace tags {

// The genre number of a genre text as taggers store it: "17", "(17)",
// "(17)Rock", a standard name, or a name of the common extended list
// (80 onwards, as genre.dat numbers them); kNoGenre when none fits.
int genreNumber(std::string_view text);

// The text an edit stores: the standard name for 0 to 79, else the number.
std::string genreText(int genre);

}  // namespace tags
