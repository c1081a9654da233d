#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/MessageTarget.h"

namespace platform {

// A message target that keeps what is posted for one thread to take, as a
// window's message queue does. Used where there is no window: the
// command-line program and tests.
class MessageQueue : public MessageTarget {
  public:
    struct Message {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };

    bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    // The oldest message, waiting up to timeoutMs (-1: no limit).
    std::optional<Message> take(int timeoutMs);
    size_t size() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Message> messages_;
};

}  // namespace platform
