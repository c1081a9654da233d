#include "app/AutorunGuard.h"

#include "platform/ProductKey.h"
#include "platform/Registry.h"

namespace app {
namespace {

// The backup holds the switch's value to restore: autorun on.
constexpr const char* kAutorunOn = "autorun";

}  // namespace

AutorunGuard::AutorunGuard(AutorunSetting& setting, platform::Registry& registry)
    : setting_(setting), registry_(registry), backupKey_(platform::productSubkey("AudioCD")) {}

void AutorunGuard::Suppress() {
    const std::optional<bool> heldOff = setting_.heldOff();
    if (!heldOff) {
        return;  // no such switch on this desktop
    }
    bool off = *heldOff;
    if (registry_.read(platform::Hive::User, backupKey_, kBackupName)) {
        // An earlier run ended without giving autorun back.
        if (off && setting_.setHeldOff(false)) {
            off = false;
        }
        registry_.remove(backupKey_, kBackupName);
    }
    if (off) {
        return;  // already held off: nothing to give back later
    }
    if (!registry_.write(backupKey_, kBackupName, platform::RegValue::text(kAutorunOn))) {
        return;  // without a backup a crash could leave autorun off for good
    }
    if (setting_.setHeldOff(true)) {
        saved_ = true;
    } else {
        registry_.remove(backupKey_, kBackupName);
    }
}

void AutorunGuard::Restore() {
    if (!saved_) {
        return;
    }
    saved_ = false;
    // Turned on again by someone else in the meantime: theirs stays.
    if (setting_.heldOff() == true) {
        setting_.setHeldOff(false);
    }
    registry_.remove(backupKey_, kBackupName);
}

}  // namespace app
