#pragma once

#include <string>
#include <string_view>

#include "platform/AsciiText.h"

namespace mdb {

// Case rules of the database: only ASCII letters are folded, so bytes of
// multi-byte UTF-8 characters are never touched and a match can never start
// or end inside a character.

using platform::equalsIgnoreCase;
using platform::lowerAscii;
using platform::toLowerAscii;
// `haystack` contains `lowerNeedle`, which must already be lowercased.
bool containsIgnoreCase(std::string_view haystack, std::string_view lowerNeedle);
// Orders by lowercased bytes; ties broken by the raw bytes so that the
// order is total and names differing only in case stand side by side.
bool lessIgnoreCase(std::string_view a, std::string_view b);

}  // namespace mdb
