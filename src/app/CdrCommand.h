#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

class PlayerSettings;

// The CD writing program the list/edit panel hands a playlist to: a
// command line in which %s stands for the playlist file.
inline constexpr std::string_view kBraseroCommand = "brasero --playlist %s";

// brasero's command when a "brasero" program is in one of the folders of
// `searchPath` (a PATH value), else empty.
std::string defaultCdrCommand(std::string_view searchPath);

// "CdrCommand", or the default for this system's PATH when it is unset.
std::string cdrCommandOf(const PlayerSettings& settings);

// Whether any of the files is of a kind CD writing programs take no music
// from (".rmp", ".wma", either case).
bool hasUnburnableFile(const std::vector<std::string>& paths);

}  // namespace app
