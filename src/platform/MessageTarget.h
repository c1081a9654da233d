#pragma once

#include <cstdint>

namespace platform {

// Where components post their notifications (a window on the desktop, a
// queue in the command-line program and in tests). post() must not block and
// may be called from any thread; it returns false when the message could not
// be queued, and the caller may retry.
class MessageTarget {
  public:
    virtual ~MessageTarget() = default;
    virtual bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

}  // namespace platform
