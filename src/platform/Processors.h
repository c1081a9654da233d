#pragma once

#include <cstddef>

namespace platform {

// The processors this process may run on (its affinity, so `taskset -c 0`
// gives 1), at least 1.
size_t usableProcessors();

}  // namespace platform
