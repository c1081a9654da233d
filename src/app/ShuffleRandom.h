#pragma once

#include <cstdint>
#include <random>

#include "app/TickClock.h"

namespace app {

// The random numbers a shuffle draws. Reseed() is called once before each
// new order.
class ShuffleRandom {
  public:
    virtual ~ShuffleRandom() = default;
    virtual void Reseed() = 0;
    virtual uint32_t Next() = 0;
};

// Seeded with the tick count before every order, or once with a fixed seed
// so that a run can be repeated.
class StdShuffleRandom final : public ShuffleRandom {
  public:
    explicit StdShuffleRandom(const TickClock& clock) : clock_(&clock) {}
    explicit StdShuffleRandom(uint32_t seed) : engine_(seed) {}

    void Reseed() override;
    uint32_t Next() override { return static_cast<uint32_t>(engine_()); }

  private:
    const TickClock* clock_ = nullptr;
    std::minstd_rand engine_;
};

}  // namespace app
