#include "ui/QtTimerService.h"

#include <QTimer>

namespace ui {
namespace {

class SingleShot : public app::TimerService::Timer {
  public:
    explicit SingleShot(std::function<void()> expired) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, std::move(expired));
    }
    void start(std::chrono::milliseconds delay) override { timer_.start(delay); }
    void stop() override { timer_.stop(); }
    bool active() const override { return timer_.isActive(); }

  private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<app::TimerService::Timer> QtTimerService::makeTimer(std::function<void()> expired) {
    return std::make_unique<SingleShot>(std::move(expired));
}

}  // namespace ui
