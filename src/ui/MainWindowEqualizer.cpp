// The main window's side of the equalizer window.
#include "ui/CMainWindow.h"
#include "ui/equalizer/CEqualizerWindow.h"
#include "ui/equalizer/ControllerEqualizerPlayer.h"

namespace ui {

void CMainWindow::toggleEqualizer() {
    if (equalizer_) {
        equalizer_->close();
        return;
    }
    equalizer_ = new CEqualizerWindow(skinFolder_, settings_,
                                      std::make_unique<ControllerEqualizerPlayer>(*player_), this);
    equalizer_->show();
}

CEqualizerWindow* CMainWindow::equalizerWindow() const {
    return equalizer_;
}

}  // namespace ui
