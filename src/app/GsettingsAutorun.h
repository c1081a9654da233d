#pragma once

#include "app/AutorunSetting.h"

namespace app {

// GNOME's and its relatives' switch, org.gnome.desktop.media-handling
// autorun-never, through the gsettings program (no GIO at build time).
class GsettingsAutorun : public AutorunSetting {
  public:
    std::optional<bool> heldOff() override;
    bool setHeldOff(bool heldOff) override;
};

}  // namespace app
