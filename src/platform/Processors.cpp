#include "platform/Processors.h"

#include <sched.h>

#include <algorithm>
#include <thread>

namespace platform {

size_t usableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        return static_cast<size_t>(std::max(CPU_COUNT(&set), 1));
    }
    return std::max(std::thread::hardware_concurrency(), 1u);
}

}  // namespace platform
