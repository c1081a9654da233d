#pragma once

#include <functional>

namespace app {

// Work off the owner's thread. The desktop program runs `work` on a pool
// thread and queues `done` to the window (QMetaObject::invokeMethod with
// Qt::QueuedConnection), so `done` runs on the owner's thread after `work`.
class BackgroundWork {
  public:
    virtual ~BackgroundWork() = default;
    // `work` must not throw.
    virtual void run(std::function<void()> work, std::function<void()> done) = 0;
};

}  // namespace app
