// The main window's side of the equalizer window.
#include "app/Settings.h"
#include "app/WindowPlacement.h"
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
    equalizer_->setWindowFlag(Qt::WindowStaysOnTopHint,
                              settings_.read(app::settings::kAlwaysOnTop) != 0);
    equalizer_->show();
}

// Shown as it was at the last exit; shown too when it was never stored.
void CMainWindow::restoreEqualizer() {
    const auto placement =
        app::WindowPlacement::parse(settings_.read(app::settings::kEqualizerPosition));
    if (!equalizer_ && (!placement || placement->showCommand == app::WindowPlacement::kShown)) {
        toggleEqualizer();
    }
}

CEqualizerWindow* CMainWindow::equalizerWindow() const {
    return equalizer_;
}

}  // namespace ui
