#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

// The time base of the paced wave devices. Devices wait through the clock,
// so a test can move time by hand and watch blocks finish.
class WaveClock {
  public:
    using Nanos = std::chrono::nanoseconds;
    static constexpr Nanos kNever = Nanos::max();

    virtual ~WaveClock() = default;
    virtual Nanos now() const = 0;
    // Waits until now() reaches `deadline` (kNever: no time limit) or
    // wake(cv) is called. `lock` guards the waiter's state and is held on
    // entry and exit. May return early; callers check their state again.
    virtual void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                           Nanos deadline) = 0;
    // Wakes the waiters on `cv` after their state changed.
    virtual void wake(std::condition_variable& cv) = 0;
};

// The monotonic system clock.
class SteadyWaveClock final : public WaveClock {
  public:
    Nanos now() const override;
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   Nanos deadline) override;
    void wake(std::condition_variable& cv) override;
};

// A clock that moves only by advance(), for tests.
class ManualWaveClock final : public WaveClock {
  public:
    Nanos now() const override;
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   Nanos deadline) override;
    void wake(std::condition_variable& cv) override;
    void advance(Nanos by);
    // The deadline of the latest wait begun: when its waiter means to wake.
    Nanos deadline() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Nanos now_{0};
    Nanos deadline_ = kNever;
    uint64_t epoch_ = 0;  // counts advances and wakes, so none is missed
};

}  // namespace platform
