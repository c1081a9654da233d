#include "app/TickClock.h"

#include <chrono>

namespace app {

uint32_t SteadyTickClock::TickMs() const {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace app
