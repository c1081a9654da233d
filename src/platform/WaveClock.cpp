#include "platform/WaveClock.h"

namespace platform {

WaveClock::Nanos SteadyWaveClock::now() const {
    return std::chrono::duration_cast<Nanos>(std::chrono::steady_clock::now().time_since_epoch());
}

void SteadyWaveClock::waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                                Nanos deadline) {
    if (deadline == kNever) {
        cv.wait(lock);
    } else {
        cv.wait_until(
            lock, std::chrono::steady_clock::time_point(
                      std::chrono::duration_cast<std::chrono::steady_clock::duration>(deadline)));
    }
}

void SteadyWaveClock::wake(std::condition_variable& cv) {
    cv.notify_all();
}

WaveClock::Nanos ManualWaveClock::now() const {
    std::lock_guard guard(mutex_);
    return now_;
}

// The waiter's lock is dropped while it waits on the clock's own condition;
// the epoch read before dropping it catches a wake() that comes in between.
void ManualWaveClock::waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable&,
                                Nanos deadline) {
    std::unique_lock guard(mutex_);
    const uint64_t seen = epoch_;
    deadline_ = deadline;
    lock.unlock();
    changed_.wait(guard, [&] { return epoch_ != seen || now_ >= deadline; });
    guard.unlock();
    lock.lock();
}

void ManualWaveClock::wake(std::condition_variable& cv) {
    {
        std::lock_guard guard(mutex_);
        ++epoch_;
    }
    changed_.notify_all();
    cv.notify_all();
}

WaveClock::Nanos ManualWaveClock::deadline() const {
    std::lock_guard guard(mutex_);
    return deadline_;
}

void ManualWaveClock::advance(Nanos by) {
    {
        std::lock_guard guard(mutex_);
        now_ += by;
        ++epoch_;
    }
    changed_.notify_all();
}

}  // namespace platform
