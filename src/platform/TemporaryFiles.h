#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

#include "platform/UniqueFd.h"

namespace platform {

// The temporaries that stand in for output files while they are written,
// "Nx<pid>-<8 hex digits>.tmp" beside their target. The writer's process id
// in the name tells a temporary whose writer died (killed, or a crash) from
// one still being written, so the next writer into the folder removes it.
namespace temporary {

struct Created {
    UniqueFd fd;
    std::filesystem::path path;
};

// Creates a new temporary for `target` (O_EXCL, mode less the umask), after
// removing the stale temporaries of its folder. Nothing, with errno set,
// when the folder takes no new file.
std::optional<Created> createFor(const std::filesystem::path& target, mode_t mode = 0666);

// A second name for an existing file under a new temporary name (a hard
// link), so that the file can be had back after a writer replaced it.
// Nothing when there is no such file or the folder takes no link.
std::optional<std::filesystem::path> linkFor(const std::filesystem::path& file);

// Removes the temporaries in `folder` whose writing process no longer
// exists; returns how many went.
int removeStale(const std::filesystem::path& folder);

// The process id a temporary's file name carries; nothing for other names.
std::optional<pid_t> ownerOf(const std::filesystem::path& name);

}  // namespace temporary

}  // namespace platform
