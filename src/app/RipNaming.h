#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cdinfo/CDiscID.h"
#include "cdinfo/NamingRules.h"

namespace app {

// True when the rules give every track its own file name: one of the parts
// is the title or the track number.
bool namesTellTracksApart(const cdinfo::NamingRules& rules);

// Where each track of the disc is ripped to, by track index:
// "<folder>/<name>.<extension>" from the disc's titles and the naming rules.
// A track whose path another track took already (ASCII case ignored, as
// the library compares paths) gets its track number appended, so one rip
// never replaces another track's file. Data tracks get an empty path.
// Empty when the rules name no music folder.
std::vector<std::string> ripOutputPaths(const cdinfo::CDiscID& disc,
                                        const cdinfo::NamingRules& rules,
                                        std::string_view extension);

}  // namespace app
