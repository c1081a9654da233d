#pragma once

#include <string>
#include <string_view>

namespace mdb {

// Case rules of the database: only ASCII letters are folded, so bytes of
// multi-byte UTF-8 characters are never touched and a match can never start
// or end inside a character.

inline char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string toLowerAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// `haystack` contains `lowerNeedle`, which must already be lowercased.
bool containsIgnoreCase(std::string_view haystack, std::string_view lowerNeedle);
// Orders by lowercased bytes; ties broken by the raw bytes so that the
// order is total and names differing only in case stand side by side.
bool lessIgnoreCase(std::string_view a, std::string_view b);

}  // namespace mdb
