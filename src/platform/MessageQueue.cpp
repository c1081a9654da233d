#include "platform/MessageQueue.h"

#include <chrono>

namespace platform {

bool MessageQueue::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    {
        std::lock_guard lock(mutex_);
        messages_.push_back({message, wParam, lParam});
    }
    posted_.notify_one();
    return true;
}

std::optional<MessageQueue::Message> MessageQueue::take(int timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return !messages_.empty(); };
    if (timeoutMs < 0) {
        posted_.wait(lock, ready);
    } else if (!posted_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        return std::nullopt;
    }
    Message m = messages_.front();
    messages_.pop_front();
    return m;
}

size_t MessageQueue::size() const {
    std::lock_guard lock(mutex_);
    return messages_.size();
}

}  // namespace platform
