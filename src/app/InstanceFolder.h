#pragma once

#include <filesystem>

namespace app {

// The user's private folder of the single-instance lock and socket:
// $XDG_RUNTIME_DIR/mp3-melodux, else mp3-melodux in the user's cache folder
// ($XDG_CACHE_HOME, else ~/.cache). Made with mode 0700 when missing, and
// set to it when it is the user's own. Throws std::runtime_error naming the
// folder when it cannot be made, is no folder (a link included) or belongs
// to another user.
std::filesystem::path instanceFolder();

}  // namespace app
