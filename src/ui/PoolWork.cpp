#include "ui/PoolWork.h"

namespace ui {

PoolWork::~PoolWork() {
    pool_.waitForDone();
}

void PoolWork::run(std::function<void()> work, std::function<void()> done) {
    pool_.start([this, work = std::move(work), done = std::move(done)]() mutable {
        work();
        QMetaObject::invokeMethod(&receiver_, std::move(done), Qt::QueuedConnection);
    });
}

}  // namespace ui
