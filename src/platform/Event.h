#pragma once

#include <condition_variable>
#include <mutex>

namespace platform {

// A signalled/non-signalled flag to wait on. An auto-reset event lets one
// waiter through per set() and clears itself; a manual-reset event stays set
// until reset().
class Event {
  public:
    enum class Reset { Auto, Manual };
    static constexpr int kInfinite = -1;

    explicit Event(Reset mode, bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    // Waits up to timeoutMs (kInfinite: no limit). True when the event was
    // set, false on time-out.
    bool wait(int timeoutMs = kInfinite);

  private:
    const Reset mode_;
    bool set_;
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace platform
