#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace app {

// Time as controllers see it; the desktop program implements it with
// QTimer, tests with timers they fire by hand.
class TimerService {
  public:
    class Timer {
      public:
        virtual ~Timer() = default;
        // (Re)starts the timer: it fires once, `delay` from now.
        virtual void start(std::chrono::milliseconds delay) = 0;
        virtual void stop() = 0;
        virtual bool active() const = 0;
    };

    virtual ~TimerService() = default;
    // A stopped single-shot timer that calls `expired` on the owner's thread.
    virtual std::unique_ptr<Timer> makeTimer(std::function<void()> expired) = 0;
};

}  // namespace app
