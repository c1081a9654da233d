#pragma once

#include <optional>
#include <string>
#include <string_view>

// The genre names of the ID3v1 standard (numbers 0 to 79), for formats that
// store a genre as text.
namespace platform {

inline constexpr int kId3v1GenreCount = 80;

// The standard's name, or empty for numbers it does not define.
std::string_view id3v1GenreName(int genre);

// The number for a stored genre text: a standard name (ASCII case
// ignored), or a number written "17" or "(17)"; nothing otherwise.
std::optional<int> id3v1GenreFromText(std::string_view text);

// The text that stores a genre: its standard name, else "(n)".
std::string id3v1GenreText(int genre);

}  // namespace platform
