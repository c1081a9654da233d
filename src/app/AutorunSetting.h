#pragma once

#include <optional>

namespace app {

// The desktop's switch that keeps it from starting a program when a disc
// is inserted.
class AutorunSetting {
  public:
    virtual ~AutorunSetting() = default;
    // Whether autorun is held off; nothing when the desktop has no such
    // switch or it cannot be read.
    virtual std::optional<bool> heldOff() = 0;
    virtual bool setHeldOff(bool heldOff) = 0;
};

}  // namespace app
