#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cdinfo {

// Text made fit for one file or folder name: path separators, characters
// other systems refuse (\ : * ? " < > |) and control characters become
// '_'; blanks at both ends and dots at the end go; the result is cut to
// maxBytes without splitting a character. Empty when nothing usable is
// left ("", ".", "..").
std::string fileNameSafe(std::string_view text, size_t maxBytes);

}  // namespace cdinfo
