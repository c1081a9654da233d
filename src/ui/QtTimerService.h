#pragma once

#include "app/TimerService.h"

namespace ui {

// The controllers' timers as single-shot QTimers on the UI thread.
class QtTimerService : public app::TimerService {
  public:
    std::unique_ptr<Timer> makeTimer(std::function<void()> expired) override;
};

}  // namespace ui
