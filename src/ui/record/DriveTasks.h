#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/PoolWork.h"

namespace ui::record {

// The drive calls that can keep a caller waiting (listing the drives wakes
// each of them, ejecting waits for the tray) on a pool thread, each with
// its own connection configured from the settings at the call.
class DriveTasks {
  public:
    using Drives = std::function<void(const std::vector<std::string>& drives)>;

    // `done` gets one entry per drive, its letter first, on the UI thread.
    void listDrives(Drives done);
    void eject(const std::string& drive);

  private:
    PoolWork work_;  // its end waits for the drives' answers
};

}  // namespace ui::record
