#pragma once

#include <filesystem>
#include <string_view>

namespace cdinfo {

// Writes `bytes` to a temporary file beside `target`, flushes it to disk and
// renames it over the target. False (target untouched, no temporary left)
// on any failure.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

}  // namespace cdinfo
