#include "platform/Event.h"

#include <chrono>

namespace platform {

Event::Event(Reset mode, bool initiallySet) : mode_(mode), set_(initiallySet) {}

// Notifies under the lock: a waiter may destroy the event as soon as it
// sees it set.
void Event::set() {
    std::lock_guard lock(mutex_);
    set_ = true;
    if (mode_ == Reset::Auto) {
        changed_.notify_one();
    } else {
        changed_.notify_all();
    }
}

void Event::reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool Event::wait(int timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto isSet = [this] { return set_; };
    if (timeoutMs == kInfinite) {
        changed_.wait(lock, isSet);
    } else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSet)) {
        return false;
    }
    if (mode_ == Reset::Auto) {
        set_ = false;
    }
    return true;
}

}  // namespace platform
