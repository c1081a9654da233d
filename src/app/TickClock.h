#pragma once

#include <cstdint>

namespace app {

// Milliseconds since some start, as the system's tick count gives them;
// the player seeds its shuffle with it and blinks its display by it.
class TickClock {
  public:
    virtual ~TickClock() = default;
    virtual uint32_t TickMs() const = 0;
};

// The monotonic system clock.
class SteadyTickClock final : public TickClock {
  public:
    uint32_t TickMs() const override;
};

}  // namespace app
