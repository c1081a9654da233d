#pragma once

#include <string>

#include "app/AutorunSetting.h"

namespace platform {
class Registry;
}

namespace app {

// Holds the desktop's disc autorun off while the player runs, so that an
// inserted audio CD is ours. Before changing the switch it notes in the
// settings ("Melodux_Back") what to give back, so that the next start
// repairs what a crash left behind.
class AutorunGuard {
  public:
    static constexpr const char* kBackupName = "Melodux_Back";

    AutorunGuard(AutorunSetting& setting, platform::Registry& registry);
    AutorunGuard(const AutorunGuard&) = delete;
    AutorunGuard& operator=(const AutorunGuard&) = delete;

    // Repairs a backup an earlier run left, then holds autorun off if it
    // was on. Slow (it may start programs): not on the UI thread.
    void Suppress();
    // Gives autorun back unless someone else changed the switch meanwhile;
    // the backup goes in any case.
    void Restore();

  private:
    AutorunSetting& setting_;
    platform::Registry& registry_;
    std::string backupKey_;
    bool saved_ = false;  // this run turned autorun off
};

}  // namespace app
