#pragma once

#include <QObject>
#include <QThreadPool>

#include "app/BackgroundWork.h"

namespace ui {

// Work on a thread pool; `done` is queued to the UI thread. The pool is
// waited for before the receiver goes, so no `done` outlives it.
class PoolWork : public app::BackgroundWork {
  public:
    ~PoolWork() override;
    void run(std::function<void()> work, std::function<void()> done) override;

  private:
    QObject receiver_;
    QThreadPool pool_;
};

}  // namespace ui
